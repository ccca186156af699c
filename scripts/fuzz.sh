#!/usr/bin/env bash
# Builds Tarnwick and fuzzes its readers of outside input under Wine:
#   scripts/fuzz.sh [target] [count]
# Without a target every target runs, each with `count` inputs (default 1,000,000), as
# separate processes, FUZZ_JOBS (default 4) at a time; FUZZ_SEED picks the inputs (default 1).
# Prints per target: inputs, accepted, refused, slowest input, peak memory, failures.
# Failing inputs are kept in build/fuzz-failures; replay one with
#   $WINE build/tools/fuzz/fuzz.exe --replay build/fuzz-failures/<file>
set -euo pipefail
source "$(cd "$(dirname "$0")" && pwd)/env.sh"

target=${1:-}
count=${2:-1000000}
jobs=${FUZZ_JOBS:-4}
seed=${FUZZ_SEED:-1}

run=$(mktemp -d /tmp/tarnwick-fuzz.XXXXXX)
cleanup() { wine_session_end; rm -rf "$run"; }
trap cleanup EXIT
wine_session_begin "$run"

fuzz="$BUILD/tools/fuzz/fuzz.exe"
failures="$BUILD/fuzz-failures"
mkdir -p "$failures"
if [ -n "$target" ]; then
  targets=("$target")
else
  mapfile -t targets < <($WINE "$fuzz" --list | tr -d '\r' | awk '{print $1}')
fi

# One process per target, at most $jobs at a time; each writes its row and failure lines.
pids=()
for name in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do sleep 1; done
  $WINE "$fuzz" --target "$name" --count "$count" --seed "$seed" --failures "$(winpath "$failures")" \
        --no-header >"$run/$name.out" 2>"$run/$name.err" &
  pids+=($!)
done
status=0
for pid in "${pids[@]}"; do wait "$pid" || status=1; done

$WINE "$fuzz" --list >/dev/null # Wine is warm: the header comes at once
printf '%-16s %9s %9s %9s %11s %10s %10s %8s\n' target inputs accepted refused "slowest ms" "peak MB" "input MB" failures
for name in "${targets[@]}"; do
  row=$(tr -d '\r' <"$run/$name.out" | grep -v '^FAIL' || true)
  if [ -n "$row" ]; then echo "$row"; else printf '%-16s %s\n' "$name" "ended without a row (crash or hang)"; fi
done
for name in "${targets[@]}"; do
  tr -d '\r' <"$run/$name.out" | grep '^FAIL' || true
done
exit $status
