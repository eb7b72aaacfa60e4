#!/usr/bin/env bash
# Builds Orvane with AddressSanitizer and UndefinedBehaviorSanitizer (preset "asan", build/asan)
# and runs the whole Linux test suite on that build. Any sanitizer report fails the test that
# made it.
#
#   scripts/test-sanitizers.sh [extra ctest arguments]
set -eu
cd "$(dirname "$0")/.."
jobs=${ORVANE_JOBS:-2}
cmake --preset asan
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j 1 "$@"
