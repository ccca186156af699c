#!/usr/bin/env bash
# Builds Tarnwick and fuzzes its readers of outside input under Wine:
#   scripts/fuzz.sh [target[,target...]] [count]
# Without a target every target runs, each with `count` inputs (default 1,000,000). Each
# target runs in FUZZ_SPLIT (default 1) processes over consecutive ranges of its inputs (the
# same inputs as one process), FUZZ_JOBS (default 4) processes at a time, each in a Wine
# prefix of its own; FUZZ_SEED picks the inputs (default 1).
# Prints per target: inputs, accepted, refused, the slowest input's processor time (which
# judges slowness) and the most time one input took, peak memory, the hungriest input's heap
# growth, failures.
# Failing inputs are kept in build/fuzz-failures; replay one with
#   $WINE build/tools/fuzz/fuzz.exe --replay build/fuzz-failures/<file>
set -euo pipefail
source "$(cd "$(dirname "$0")" && pwd)/env.sh"

target=${1:-}
count=${2:-1000000}
jobs=${FUZZ_JOBS:-4}
split=${FUZZ_SPLIT:-1}
seed=${FUZZ_SEED:-1}

run=$(mktemp -d /tmp/tarnwick-fuzz.XXXXXX)
# The inputs' files are written in memory where the machine has it: some readers save what
# they read, and a million saves would wait for the disk.
work=$(mktemp -d /dev/shm/tarnwick-fuzz.XXXXXX 2>/dev/null || mktemp -d "$run/work.XXXXXX")
# Each job slot has a prefix and wineserver of its own: the file targets talk to the
# wineserver at every input, and one shared server would serialise them all.
slot_prefix() { echo "$run/prefix-$1"; }
cleanup() {
  local slot
  for ((slot = 1; slot < jobs; slot++)); do
    [ -d "$(slot_prefix "$slot")" ] || continue
    WINEPREFIX=$(slot_prefix "$slot") /usr/bin/wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX=$(slot_prefix "$slot") /usr/bin/wineserver -w >/dev/null 2>&1 || true
  done
  wine_session_end
  rm -rf "$run" "$work"
}
trap cleanup EXIT
wine_session_begin "$run"
slot_prefixes=("$WINEPREFIX")
for ((slot = 1; slot < jobs; slot++)); do
  cp -a "$TARNWICK_PREFIX" "$(slot_prefix "$slot")"
  WINEPREFIX=$(slot_prefix "$slot") /usr/bin/wineserver -p </dev/null >/dev/null 2>&1
  WINEPREFIX=$(slot_prefix "$slot") $WINE wineboot </dev/null >/dev/null 2>&1
  slot_prefixes+=("$(slot_prefix "$slot")")
done

# A copy runs, so the tree can be built again while a long run goes on.
fuzz="$run/fuzz.exe"
cp "$BUILD/tools/fuzz/fuzz.exe" "$fuzz"
failures="$BUILD/fuzz-failures"
mkdir -p "$failures"
if [ -n "$target" ]; then
  IFS=, read -ra targets <<<"$target"
else
  mapfile -t targets < <($WINE "$fuzz" --list | tr -d '\r' | awk '{print $1}')
fi

# One process per part of a target in a free slot; each writes its row and failure lines.
slot_pids=()
status=0
# Sets `slot` to a slot whose process has ended (its status kept), waiting for one.
free_slot() {
  for ((;;)); do
    for ((slot = 0; slot < jobs; slot++)); do
      local pid=${slot_pids[$slot]:-}
      [ -z "$pid" ] && return
      if ! kill -0 "$pid" 2>/dev/null; then
        wait "$pid" || status=1
        slot_pids[$slot]=""
        return
      fi
    done
    sleep 1
  done
}
for name in "${targets[@]}"; do
  for ((part = 0; part < split; part++)); do
    first=$(( count * part / split ))
    last=$(( count * (part + 1) / split ))
    free_slot
    # A folder for each process: processes of different prefixes may get the same Windows pid.
    mkdir -p "$work/$name.$part"
    WINEPREFIX=${slot_prefixes[$slot]} $WINE "$fuzz" --target "$name" --first "$first" --count "$(( last - first ))" \
          --seed "$seed" --failures "$(winpath "$failures")" --work "$(winpath "$work/$name.$part")" --no-header \
          >"$run/$name.$part.out" 2>"$run/$name.$part.err" &
    slot_pids[$slot]=$!
  done
done
for pid in "${slot_pids[@]}"; do [ -n "$pid" ] && { wait "$pid" || status=1; }; done

$WINE "$fuzz" --header | tr -d '\r'
for name in "${targets[@]}"; do
  rows=$(cat "$run/$name".*.out | tr -d '\r' | grep -v '^FAIL' | grep -c . || true)
  if [ "$rows" -ne "$split" ]; then
    printf '%-16s %s\n' "$name" "ended without a row (crash or hang)"
    status=1
    continue
  fi
  # The parts' rows in one: counts added, the slowest and largest kept.
  cat "$run/$name".*.out | tr -d '\r' | grep -v '^FAIL' | awk '
    { for (i = 2; i <= 4; i++) sum[i] += $i; sum[9] += $9
      for (i = 5; i <= 8; i++) if ($i > most[i]) most[i] = $i }
    END { printf "%-16s %9d %9d %9d %8.0f %9.1f %8.1f %9.2f %8d\n", $1, sum[2], sum[3], sum[4],
                 most[5], most[6], most[7], most[8], sum[9] }'
done
for name in "${targets[@]}"; do
  cat "$run/$name".*.out | tr -d '\r' | grep '^FAIL' || true
done
exit $status
