#!/usr/bin/env bash
# Builds Orvane for Linux and for Windows and runs the whole test suite (the Windows tests under
# Wine).
set -eu
cd "$(dirname "$0")/.."
bash scripts/build.sh --windows
ctest --preset default
ctest --preset windows
