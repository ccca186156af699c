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

# Takes the lock of RealTraffic's ports on descriptor 7 of this shell. Everything the run starts
# inherits the descriptor, so the lock is held until the run's own processes are gone: a run
# killed with SIGKILL leaves the program and the stand-ins on the ports, and the next run waits
# for them instead of failing to bind or receiving their datagrams. What outlives a run by
# design and is no run's own (Xvfb, a persistent wineserver and the services it starts) is
# started with 7>&- (wine_session_begin in env.sh).
ports_lock() {
  local lock=${TARNWICK_PORTS_LOCK:-/tmp/tarnwick-realtraffic-ports.lock}
  if ! exec 7>>"$lock"; then
    echo "cannot open the lock $lock" >&2
    exit 1
  fi
  flock -n 7 && return 0
  echo "Another run holds RealTraffic's ports; waiting for its processes to end:$(ports_lock_holders "$lock")" >&2
  flock 7
}

# The processes, other than this shell, that hold the file open: " pid (name)" each.
ports_lock_holders() {
  local fd pid name
  for fd in /proc/[0-9]*/fd/*; do
    [ "$fd" -ef "$1" ] || continue
    pid=${fd#/proc/}
    pid=${pid%%/*}
    [ "$pid" = "$$" ] || [ "$pid" = "$BASHPID" ] && continue
    read -r name < "/proc/$pid/comm" 2>/dev/null || name=""
    echo -n " $pid ($name)"
  done
}
