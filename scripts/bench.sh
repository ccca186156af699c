#!/usr/bin/env bash
# Builds Tarnwick and runs the benchmarks under Wine, each printing its figures.
# Without arguments all of them; otherwise the named ones with their arguments, e.g.
#   scripts/bench.sh simlink_flush 60 300 tcp
set -euo pipefail
source "$(cd "$(dirname "$0")" && pwd)/env.sh"

run=$(mktemp -d /tmp/tarnwick-bench.XXXXXX)
cleanup() { wine_session_end; rm -rf "$run"; }
trap cleanup EXIT
wine_session_begin "$run"

cd "$BUILD"
if [ $# -eq 0 ]; then
  for exe in bench_*.exe; do
    echo "== ${exe%.exe}"
    $WINE "$exe"
  done
else
  name=$1; shift
  $WINE "bench_$name.exe" "$@"
fi
