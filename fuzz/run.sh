#!/usr/bin/env bash
# Builds the fuzz targets with clang in build/fuzz and runs each for SECONDS (default 60),
# starting from the seeds in fuzz/corpus/<target>. New inputs go to build/fuzz/corpus/<target>;
# a failing input is written to build/fuzz/ and the script fails. Each target's output goes to
# build/fuzz/<target>.log; only its closing figures are printed unless it fails.
#
#   fuzz/run.sh [SECONDS]
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-60}
compiler=${CXX_FUZZ:-clang++-14}
cmake -S fuzz -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER="$compiler" >/dev/null
cmake --build build/fuzz -j2
for target in text_rules scan; do
  mkdir -p "build/fuzz/corpus/$target"
  echo "== fuzz_$target for ${seconds}s"
  log="build/fuzz/$target.log"
  if ! "build/fuzz/fuzz_$target" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
    -artifact_prefix="build/fuzz/$target-" "build/fuzz/corpus/$target" "fuzz/corpus/$target" \
    >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz_$target failed; its log is $log"
    exit 1
  fi
  grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$log" || tail -n 3 "$log"
done
