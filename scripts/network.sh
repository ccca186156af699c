# Sourced by env.sh: own_network, which gives a run RealTraffic's fixed ports to itself.

# Runs the calling script ($1, with its arguments) again in a network namespace of its own
# with only loopback: the program's RealTraffic ports (UDP 49004/49005, TCP 10747) are fixed,
# and a test run, a benchmark or a second run beside it would take them or receive this run's
# traffic. Where no namespace can be made (not root, no unshare, no iproute2's ip to bring
# its loopback up), the machine-wide ports are taken under a lock instead, so such runs wait
# for each other. Call it after the build (the namespace has no network for the set-up) and
# before starting anything.
own_network() {
  local self=$1; shift
  [ -n "${TARNWICK_OWN_NETWORK:-}" ] && return 0
  if unshare -n ip link set lo up 2>/dev/null; then
    TARNWICK_OWN_NETWORK=1 exec unshare -n bash -c 'ip link set lo up && exec "$0" "$@"' "$self" "$@"
  fi
  ports_lock
}

# Takes the lock of RealTraffic's ports for as long as this script lives. A helper holds it,
# not this shell: what the run starts (Xvfb, a persistent wineserver) would inherit the shell's
# descriptor and keep the lock after the run was killed. The helper ends with the script,
# however the script ends (tail ends at once when its output is a pipe no one reads).
ports_lock() {
  local lock=${TARNWICK_PORTS_LOCK:-/tmp/tarnwick-realtraffic-ports.lock} answer=""
  flock -n "$lock" true || echo "Another run holds RealTraffic's ports; waiting for it to end ..." >&2
  read -r answer < <(exec flock "$lock" bash -c 'echo locked; exec tail --pid="$1" -f /dev/null >/dev/null' _ $$ 2>/dev/null) || true
  if [ "$answer" != locked ]; then
    echo "cannot take the lock $lock" >&2
    exit 1
  fi
}
