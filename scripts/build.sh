#!/usr/bin/env bash
# Installs what is missing and builds the program and its tests.
set -eu
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake --preset default
cmake --build --preset default
if [ "${1:-}" = "--windows" ]; then
  cmake --preset windows
  cmake --build --preset windows
fi
