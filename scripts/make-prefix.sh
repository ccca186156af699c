#!/usr/bin/env bash
# Creates a pristine Wine prefix in $1, fit for unattended runs.
set -euo pipefail
prefix=$1
export WINEPREFIX=$prefix WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$prefix"
/usr/lib/wine/wine64 wineboot --init </dev/null >/dev/null 2>&1
/usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
/usr/bin/wineserver -w
# The user folders link to $HOME; make them plain folders inside the prefix.
for d in "$prefix"/drive_c/users/*/*; do
  if [ -L "$d" ]; then rm "$d"; mkdir "$d"; fi
done
mkdir -p "$prefix/drive_c/windows/Fonts"
cp /usr/share/wine/fonts/*.ttf "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
