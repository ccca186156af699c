#!/usr/bin/env bash
# Checks that first-time set-ups started side by side (two clones on one machine) share the
# cache instead of deleting each other's half-built folders: a copy of setup.sh runs twice at
# once on an empty cache, with stand-ins for the slow builders that take a few seconds, leave
# a file and count their runs. Each builder must run once and both set-ups name the same folders.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d /tmp/tarnwick-setuplock.XXXXXX)
trap 'rm -rf "$work"' EXIT
clone="$work/clone"
mkdir -p "$clone/scripts" "$clone/cmake" "$clone/tools/airportlist"
cp "$here/scripts/setup.sh" "$clone/scripts/"
cp "$here/cmake/mingw-toolchain.cmake" "$clone/cmake/"
cp "$here/tools/airportlist/convert_airports.py" "$clone/tools/airportlist/"
for builder in build-deps make-prefix; do
  printf '#!/usr/bin/env bash\nset -euo pipefail\necho %s >> "%s"\nmkdir -p "$1"\nsleep 3\necho built > "$1/built.txt"\n' \
    "$builder" "$work/builds.txt" > "$clone/scripts/$builder.sh"
  chmod +x "$clone/scripts/$builder.sh"
done
cache="$work/cache"
# The airport list is there already: its set-up fetches from the network.
airports="$cache/airports-$(sha256sum < "$clone/tools/airportlist/convert_airports.py" | cut -c1-16)"
mkdir -p "$airports"
touch "$airports/.complete"

pids=()
for n in 1 2; do
  TARNWICK_CACHE="$cache" "$clone/scripts/setup.sh" > "$work/setup$n.out" 2> "$work/setup$n.err" &
  pids+=($!)
done
problems=()
for n in 1 2; do
  wait "${pids[n - 1]}" || problems+=("set-up $n failed: $(tail -1 "$work/setup$n.err")")
done
cmp -s "$work/setup1.out" "$work/setup2.out" || problems+=("the set-ups name different folders")
for builder in build-deps make-prefix; do
  runs=$(grep -cx "$builder" "$work/builds.txt" || true)
  [ "$runs" = 1 ] || problems+=("$builder ran $runs times")
done
for folder in "$cache"/deps-* "$cache"/wineprefix-*; do
  [ -f "$folder/built.txt" ] && [ -f "$folder/.complete" ] || problems+=("$(basename "$folder") is incomplete")
done
if [ ${#problems[@]} -gt 0 ]; then
  printf 'FAILED: %s\n' "${problems[@]}"
  exit 1
fi
echo "passed: two set-ups side by side built each folder once"
