#!/usr/bin/env bash
# Builds Tarnwick, prepares a program folder and starts Tarnwick_P3D.exe under Wine and Xvfb.
set -euo pipefail
source "$(cd "$(dirname "$0")" && pwd)/env.sh"

run=$(mktemp -d /tmp/tarnwick-run.XXXXXX)
cleanup() { wine_session_end; }
trap cleanup EXIT
wine_session_begin "$run"

program="$run/program"
mkdir -p "$program/docs"
cp "$BUILD/Tarnwick_P3D.exe" "$program/"
( cd "$program" && timeout "${TARNWICK_RUN_SECONDS:-60}" /usr/lib/wine/wine64 Tarnwick_P3D.exe ) || true
echo "Log: $program/Log.txt"
cat "$program/Log.txt" 2>/dev/null || echo "(no log written)"
