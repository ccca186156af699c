#!/usr/bin/env bash
# Builds Tarnwick, prepares a program folder and starts Tarnwick_P3D.exe under Wine and Xvfb.
# A screenshot of the display is saved a few seconds after the start; after
# TARNWICK_RUN_SECONDS the program is closed as a user would close its window.
set -euo pipefail
source "$(cd "$(dirname "$0")" && pwd)/env.sh"

run=$(mktemp -d /tmp/tarnwick-run.XXXXXX)
cleanup() { wine_session_end; }
trap cleanup EXIT
wine_session_begin "$run"

program="$run/program"
mkdir -p "$program/docs"
cp "$BUILD/Tarnwick_P3D.exe" "$program/"
( cd "$program" && exec /usr/lib/wine/wine64 Tarnwick_P3D.exe ) &
app=$!
shot=${TARNWICK_SCREENSHOT_SECONDS:-8}
sleep "$shot"
mkdir -p "$BUILD/screenshots"
if /usr/bin/import -display "$DISPLAY" -window root "$BUILD/screenshots/run.png" 2>/dev/null; then
  echo "Screenshot: $BUILD/screenshots/run.png"
fi
left=$(( ${TARNWICK_RUN_SECONDS:-60} - shot ))
[ "$left" -gt 0 ] && sleep "$left"
# taskkill without /f sends WM_CLOSE, as the window's close button does.
/usr/lib/wine/wine64 taskkill /im Tarnwick_P3D.exe >/dev/null 2>&1 || true
for _ in $(seq 150); do
  kill -0 "$app" 2>/dev/null || break
  sleep 0.1
done
kill "$app" 2>/dev/null || true
wait "$app" || true
echo "Log: $program/Log.txt"
cat "$program/Log.txt" 2>/dev/null || echo "(no log written)"
