#!/usr/bin/env bash
# Builds Tarnwick and runs every test under Wine. Extra arguments go to ctest
# (for example -R Settings to run only some tests).
set -euo pipefail
source "$(cd "$(dirname "$0")" && pwd)/env.sh"

run=$(mktemp -d /tmp/tarnwick-test.XXXXXX)
cleanup() { wine_session_end; rm -rf "$run"; }
trap cleanup EXIT
wine_session_begin "$run"

ctest --test-dir "$BUILD" -j "$(nproc)" --output-on-failure --no-tests=error "$@"
