# Sourced by the scripts: prepares the machine (first time only), configures and builds.
# Sets TARNWICK_DEPS, TARNWICK_PREFIX and BUILD.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
eval "$("$here/scripts/setup.sh" | tail -2)"
BUILD=${TARNWICK_BUILD:-$here/build}
if [ ! -f "$BUILD/build.ninja" ]; then
  cmake -S "$here" -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-toolchain.cmake" \
        -DTARNWICK_DEPS="$TARNWICK_DEPS" >/dev/null
fi
cmake --build "$BUILD" -- -k 0 ${TARNWICK_BUILD_FLAGS:-}

# Starts a private Xvfb display and a warm wineserver on a fresh copy of the pristine
# prefix in $1; everything is stopped by wine_session_end (call it from an EXIT trap).
wine_session_begin() {
  local run=$1
  cp -a "$TARNWICK_PREFIX" "$run/prefix"
  export WINEPREFIX="$run/prefix" WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
  local n
  for n in $(seq 90 200); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break
  done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$n"
  /usr/bin/wineserver -p </dev/null >/dev/null 2>&1
  /usr/lib/wine/wine64 wineboot </dev/null >/dev/null 2>&1
}
wine_session_end() {
  /usr/bin/wineserver -k >/dev/null 2>&1 || true
  /usr/bin/wineserver -w >/dev/null 2>&1 || true
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
  return 0
}
