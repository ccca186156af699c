#!/usr/bin/env bash
# Runs a Windows program under Wine with the variables of the current test run.
# WINEPREFIX must point to the run's own copy of the pristine prefix.
: "${WINEPREFIX:?WINEPREFIX is not set: run the tests through scripts/test.sh}"
export WINEPREFIX WINEDEBUG=${WINEDEBUG:--all} WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
# A test that asks for another ANSI code page (TARNWICK_CODE_PAGE) runs in a locale that
# gives Wine that code page, from the locales scripts/test.sh generated; the test program
# checks that it took. Such tests get only that one variable from ctest.
case "${TARNWICK_CODE_PAGE:-}" in
  "") ;;
  1251) locale=ru_RU.UTF-8 ;;
  932) locale=ja_JP.UTF-8 ;;
  *) echo "wine-run.sh: no locale known for code page $TARNWICK_CODE_PAGE" >&2; exit 2 ;;
esac
if [ -n "${locale:-}" ]; then
  export LOCPATH=${TARNWICK_LOCALES:?TARNWICK_LOCALES is not set: run the tests through scripts/test.sh}
  export LC_ALL=$locale
  export TARNWICK_SOURCE_DIR=${TARNWICK_SOURCE_DIR:-$(cd "$(dirname "$0")/.." && pwd)}
fi
exec /usr/lib/wine/wine64 "$@"
