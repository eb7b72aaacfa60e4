#!/usr/bin/env bash
# Builds Orvane and starts it.
set -eu
cd "$(dirname "$0")/.."
bash scripts/build.sh
exec build/default/orvane
