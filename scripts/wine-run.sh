#!/usr/bin/env bash
# Runs a Windows program under Wine with the variables of the current test run.
# WINEPREFIX must point to the run's own copy of the pristine prefix.
: "${WINEPREFIX:?WINEPREFIX is not set: run the tests through scripts/test.sh}"
export WINEPREFIX WINEDEBUG=${WINEDEBUG:--all} WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
exec /usr/lib/wine/wine64 "$@"
