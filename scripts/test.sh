#!/usr/bin/env bash
# Builds Orvane and runs the whole test suite.
set -eu
cd "$(dirname "$0")/.."
bash scripts/build.sh
ctest --preset default
