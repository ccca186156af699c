#!/usr/bin/env bash
# Builds Tarnwick and runs every test under Wine. Extra arguments go to ctest
# (for example -R Settings to run only some tests).
set -euo pipefail
source "$(cd "$(dirname "$0")" && pwd)/env.sh"

run=$(mktemp -d /tmp/tarnwick-test.XXXXXX)
cleanup() { wine_session_end; rm -rf "$run"; }
trap cleanup EXIT
wine_session_begin "$run"

# The locales that give Wine other ANSI code pages, for the tests that ask for one
# (scripts/wine-run.sh), made once into the cache.
TARNWICK_LOCALES=$("$here/scripts/locales.sh" "$(dirname "$TARNWICK_PREFIX")")
export TARNWICK_LOCALES

# One download stand-in for the whole run (the tests are Windows programs and cannot start
# a Linux one). Each test fills its own folder below TARNWICK_DOWNLOAD_ROOT (the root as a
# Wine path) and points the test build's download address at
# http://127.0.0.1:$TARNWICK_DOWNLOAD_PORT/<its folder>/.
mkdir "$run/downloads"
python3 "$here/tools/downloadserver/download_server.py" --root "$run/downloads" \
        --port-file "$run/download.port" --stall-seconds 20 &
SESSION_PIDS+=($!)
wait_for 10 test -s "$run/download.port" || true
export TARNWICK_DOWNLOAD_PORT=$(cat "$run/download.port")
export TARNWICK_DOWNLOAD_ROOT=$(winpath "$run/downloads")

# A test that fails is run once more: under Wine a test process now and then dies at its
# start, before any test code runs. Both runs show in the output.
ctest --test-dir "$BUILD" -j "$(nproc)" --output-on-failure --no-tests=error --repeat until-pass:2 "$@"
