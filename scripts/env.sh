# Sourced by the scripts: prepares the machine (first time only), configures and builds.
# Sets TARNWICK_AIRPORT_LIST, TARNWICK_DEPS, TARNWICK_PREFIX, BUILD and WINE, and defines
# the helpers below.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
setup=$("$here/scripts/setup.sh" | tail -3) # a failed setup stops the script here
eval "$setup"
export TARNWICK_AIRPORT_LIST # the real airport list, for tests and benchmarks
BUILD=${TARNWICK_BUILD:-$here/build}
if [ ! -f "$BUILD/build.ninja" ]; then
  cmake -S "$here" -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-toolchain.cmake" \
        -DTARNWICK_DEPS="$TARNWICK_DEPS" >/dev/null
fi
cmake --build "$BUILD" -- -k 0 ${TARNWICK_BUILD_FLAGS:-}

WINE=/usr/lib/wine/wine64
# Processes a script starts in the background; wine_session_end stops them by pid.
SESSION_PIDS=()

# Starts a private Xvfb display and a warm wineserver on a fresh copy of the pristine
# prefix in $1; everything is stopped by wine_session_end (call it from an EXIT trap).
wine_session_begin() {
  local run=$1
  cp -a "$TARNWICK_PREFIX" "$run/prefix"
  export WINEPREFIX="$run/prefix" WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
  # Xvfb takes the first free display itself and names it once it serves, so runs
  # starting side by side never share one.
  # None of them is the run's own: they go without the ports lock (7, network.sh).
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$run/display" >/dev/null 2>&1 7>&- &
  XVFB_PID=$!
  wait_for 10 test -s "$run/display" || true
  export DISPLAY=":$(cat "$run/display")"
  /usr/bin/wineserver -p </dev/null >/dev/null 2>&1 7>&-
  $WINE wineboot </dev/null >/dev/null 2>&1 7>&-
  # Wine's desktop process keeps the output of the program that started it while windows come
  # and go: started by the first window test, it would hold that test's pipe and the test runner
  # would wait for it to its time-out. A hidden window of our own holds it for the session.
  $WINE "$BUILD/tools/winedesktop/desktop_hold.exe" </dev/null >"$run/desktop-hold" 2>&1 7>&- &
  SESSION_PIDS+=($!)
  wait_for 20 grep -q ready "$run/desktop-hold" || true
}
wine_session_end() {
  local pid
  for pid in "${SESSION_PIDS[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  /usr/bin/wineserver -k >/dev/null 2>&1 || true
  /usr/bin/wineserver -w >/dev/null 2>&1 || true
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
  return 0
}

# Runs the command every 0.1 s until it succeeds, for at most $1 seconds; false when the
# time is up first.
wait_for() {
  local i
  for ((i = 0; i < $1 * 10; i++)); do
    "${@:2}" && return 0
    sleep 0.1
  done
  return 1
}

# A Linux path as the Windows programs see it.
winpath() { echo "Z:${1//\//\\}"; }

# own_network: RealTraffic's fixed ports for this run alone.
source "$here/scripts/network.sh"
