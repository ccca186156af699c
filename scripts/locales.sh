#!/usr/bin/env bash
# Makes the locales that give Wine other ANSI code pages (Russian 1251, Japanese 932) for the
# tests that ask for one (scripts/wine-run.sh), once per C library version and recipe, into
# the cache folder $1, and prints the folder they are in. Test runs side by side share one
# build: it is made under a lock, in a folder beside its place (so the move is one rename,
# never a copy that another run could find half done), with its .complete marker written
# last; a folder without the marker is made again.
set -euo pipefail
stamp=$( { ldd --version | head -1; cat "$0"; } | sha256sum | cut -c1-16)
locales="$1/locales-$stamp"
if [ ! -f "$locales/.complete" ]; then
  exec {lock}>"$locales.lock"
  flock "$lock"
  if [ ! -f "$locales/.complete" ]; then
    rm -rf "$locales" "$locales.part"
    mkdir "$locales.part"
    for locale in ru_RU ja_JP; do
      localedef -i "$locale" -f UTF-8 "$locales.part/$locale.UTF-8"
    done
    touch "$locales.part/.complete"
    mv -T "$locales.part" "$locales"
  fi
  exec {lock}>&-
fi
echo "$locales"
