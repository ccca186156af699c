#!/usr/bin/env bash
# Checks own_network (scripts/network.sh) where no network namespace can be made, here because
# iproute2's ip is missing: a run falls back to the lock of RealTraffic's ports instead of
# failing, and a second run waits for it. When the first is killed with SIGKILL, the second
# still waits while a process the first started for itself lives on (as the program and the
# stand-ins on RealTraffic's ports do), and goes ahead once that is gone, although a process
# the first started apart from the lock lives on (as Xvfb and a persistent wineserver do).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d /tmp/tarnwick-portslock.XXXXXX)
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}" $(cat "$work"/child*.pid 2>/dev/null); do
    { kill -9 "$pid"; wait "$pid"; } 2>/dev/null || true
  done
  # Nothing holds the lock once the runs and their children are gone.
  timeout 10 flock "$work/ports.lock" true || echo "something still holds the lock"
  rm -rf "$work"
}
trap cleanup EXIT

# What a run needs, unshare among it, but no ip.
mkdir "$work/bin"
for command in bash unshare flock sleep true; do
  ln -s "$(type -P "$command")" "$work/bin/$command"
done

# A run: takes the ports, starts its own child and one apart from the lock, both outliving it,
# says it started, and waits.
cat > "$work/run.sh" <<'RUN'
#!/usr/bin/env bash
set -euo pipefail
source "$NETWORK_SCRIPT"
own_network "$0" "$@"
sleep 300 &
echo $! > "$WORK/child$1.pid"
sleep 300 7>&- &
echo $! > "$WORK/childapart$1.pid"
echo started > "$WORK/run$1.out"
wait
RUN
chmod +x "$work/run.sh"
start_run() {
  PATH="$work/bin" WORK="$work" NETWORK_SCRIPT="$here/scripts/network.sh" TARNWICK_PORTS_LOCK="$work/ports.lock" \
    "$work/run.sh" "$1" 2> "$work/run$1.err" &
  pids+=($!)
}
# True once run $1 has started, within $2 seconds.
started_within() {
  local i
  for ((i = 0; i < $2 * 10; i++)); do
    [ -s "$work/run$1.out" ] && return 0
    sleep 0.1
  done
  return 1
}
fail() {
  echo "FAILED: $*"
  exit 1
}

start_run 1
if ! started_within 1 20; then
  code=0
  wait "${pids[0]}" || code=$?
  fail "without ip the run did not start (exit $code): $(tail -1 "$work/run1.err")"
fi
start_run 2
started_within 2 2 && fail "the second run did not wait for the first"
grep -q "waiting for its processes to end: .*(sleep)" "$work/run2.err" ||
  fail "the second run did not say that it waits, and for what: $(cat "$work/run2.err")"
{ kill -9 "${pids[0]}"; wait "${pids[0]}" || true; } 2>/dev/null
started_within 2 2 && fail "the first run was killed, and the second went ahead while the first's own child lived"
{ kill -9 "$(cat "$work/child1.pid")"; } 2>/dev/null
started_within 2 15 || fail "the first run's own child is gone, and the second still waits"
echo "passed: without a namespace runs take turns, until a killed run's own processes are gone"
