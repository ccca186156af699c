#!/usr/bin/env bash
# Checks that the locale cache of the code-page tests (scripts/locales.sh) is made once and
# only ever found whole: two test runs start side by side on an empty cache, with a stand-in
# for localedef that takes a few seconds and counts its runs; then a folder that an
# interrupted build left without its marker is made again, and a whole one is kept.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d /tmp/tarnwick-locales.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin" "$work/cache"
printf '#!/usr/bin/env bash\nset -euo pipefail\necho "$2" >> "%s"\nsleep 2\nmkdir -p "$5"\necho made > "$5/LC_CTYPE"\n' \
  "$work/made.txt" > "$work/bin/localedef"
chmod +x "$work/bin/localedef"
make_locales() { PATH="$work/bin:$PATH" "$here/scripts/locales.sh" "$work/cache"; }
problems=()
# The folder holds both locales and its marker.
check_whole() {
  local locale
  for locale in ru_RU ja_JP; do
    [ -f "$1/$locale.UTF-8/LC_CTYPE" ] || problems+=("$2: $locale.UTF-8 is missing")
  done
  [ -f "$1/.complete" ] || problems+=("$2: no .complete marker")
}
# localedef ran $1 times in all.
check_made() {
  local runs
  runs=$(wc -l < "$work/made.txt" 2>/dev/null || echo 0)
  [ "$runs" -eq "$1" ] || problems+=("$2: localedef ran $runs times, not $1")
}

pids=()
for n in 1 2; do
  make_locales > "$work/run$n.out" 2> "$work/run$n.err" &
  pids+=($!)
done
for n in 1 2; do
  wait "${pids[n - 1]}" || problems+=("run $n failed: $(tail -1 "$work/run$n.err")")
done
folder=$(cat "$work/run1.out")
[ "$(cat "$work/run2.out")" = "$folder" ] || problems+=("the runs name different folders")
check_whole "$folder" "side by side"
check_made 2 "side by side"

# An interrupted build (or a copy cut short) left one locale and no marker.
rm -rf "$folder"
mkdir -p "$folder/ru_RU.UTF-8"
[ "$(make_locales)" = "$folder" ] || problems+=("another folder named after the interrupted build")
check_whole "$folder" "after an interrupted build"
check_made 4 "after an interrupted build"
make_locales > /dev/null
check_made 4 "once whole"

if [ ${#problems[@]} -gt 0 ]; then
  printf 'FAILED: %s\n' "${problems[@]}"
  exit 1
fi
echo "passed: the locales are made once, and only a whole folder is used"
