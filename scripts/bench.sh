#!/usr/bin/env bash
# Builds Tarnwick and runs the benchmarks under Wine, each printing its figures, and ends
# with one table of every benchmark's headline figures.
# Without arguments all of them; otherwise the named ones with their arguments, e.g.
#   scripts/bench.sh simlink_flush 60 300 tcp
#   scripts/bench.sh soak 3
#   scripts/bench.sh replay klax 10
# The soak and the fidelity benchmark run the whole program in the world of
# scripts/world.sh; TARNWICK_SOAK_MINUTES and TARNWICK_FIDELITY_MINUTES (default 10 each)
# set their length when they run without arguments. `replay [klas|klax] [minutes]` runs the
# fidelity benchmark on a real recording, Las Vegas (klas, the default) or Los Angeles (klax),
# the whole of it by default (24 or 20 minutes); its figures are named replay-klas or
# replay-klax. It is not one of the benchmarks run without arguments, which it would make
# twice as long.
# The user aircraft of the fidelity benchmark and the replays is parked at the airport, where
# AUTO_RANGE gives the program its live radius on the ground (8 nm); TARNWICK_USER=air puts it
# in the air over the same spot at 25,000 ft, above the airport height, where the program takes
# its air radius (40 nm), and the figures take the radius the program's window shows, e.g.
#   TARNWICK_USER=air scripts/bench.sh replay klax 10
# TARNWICK_QNH=1020 makes RealTraffic send that QNH instead of the standard 1013 hPa. The
# replay's first line says where the user is, the radius and the QNH.
# Like run.sh it runs in a network namespace of its own where one can be made, so that
# RealTraffic's fixed ports are its own.
set -euo pipefail
source "$(cd "$(dirname "$0")" && pwd)/env.sh"
source "$here/scripts/world.sh"
own_network "$0" "$@"

run=$(mktemp -d /tmp/tarnwick-bench.XXXXXX)
# The worlds of the program runs (with their Log.txt) stay for a look; the rest goes.
cleanup() {
  wine_session_end
  rm -rf "$run/prefix"
  ls -d "$run"/world-* >/dev/null 2>&1 && echo "program runs kept in $run" || rm -rf "$run"
}
trap cleanup EXIT
wine_session_begin "$run"
figures="$run/figures.tsv"
: > "$figures"

# bench NAME ARGS...: runs one benchmark, shows its output and keeps its figure lines.
bench() {
  local name=$1; shift
  local args=("$@") exe=$name recording=klas
  if [ "$name" = replay ]; then
    # The recording first (Las Vegas when none is named), then the minutes.
    if [ $# -gt 0 ] && world_recording "$1"; then
      recording=$1
      shift
    fi
    world_recording "$recording"
    name=replay-$recording exe=fidelity
  fi
  echo "== $name"
  case $name in
    soak|fidelity|replay-*)
      local minutes=${1:-}
      case $name in
        soak) minutes=${minutes:-${TARNWICK_SOAK_MINUTES:-10}} ;;
        fidelity) minutes=${minutes:-${TARNWICK_FIDELITY_MINUTES:-10}} ;;
        replay-*) minutes=${minutes:-$WORLD_RECORDING_MINUTES} ;;
      esac
      # A world of its own each time, with traffic for the whole length.
      local world="$run/world-$name"
      mkdir -p "$world"
      if [[ $name == replay-* ]]; then
        world_prepare_recording "$world" $(( minutes * 60 + 60 )) "$recording"
      else
        world_prepare "$world" $(( minutes * 60 + 60 ))
      fi
      args=("$world" "$minutes")
      ;;
  esac
  local out="$run/$name.out"
  $WINE "$BUILD/bench_$exe.exe" "${args[@]}" > "$out" 2>&1 || echo "(bench_$exe ended with an error)" >> "$out"
  grep -v $'^figure\t' "$out" || true
  grep $'^figure\t' "$out" | sed "s/^figure/$name/" >> "$figures" || true
}

cd "$BUILD"
if [ $# -eq 0 ]; then
  for exe in bench_*.exe; do
    name=${exe#bench_}
    bench "${name%.exe}"
  done
else
  bench "$@"
fi

echo
echo "== figures"
awk -F'\t' '{ printf "%-16s %-44s %14s  %s\n", $1, $2, $3, $4 }' "$figures"
