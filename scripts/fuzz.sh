#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${TARN_FUZZ_SECONDS:-20}
CC=clang CXX=clang++ scripts/build.sh build-fuzz -DTARN_FUZZ=ON -DTARN_TESTS=OFF -DCMAKE_BUILD_TYPE=Debug
shopt -s nullglob
for target in build-fuzz/bin/fuzz_*; do
  corpus="build-fuzz/corpus/$(basename "$target")"
  mkdir -p "$corpus"
  # Hand-made starting inputs, when a target has them, next to the corpus.
  seeds="tests/fuzz/seeds/$(basename "$target")"
  inputs=("$corpus")
  if [[ -d "$seeds" ]]; then inputs+=("$seeds"); fi
  echo "fuzzing $(basename "$target") for ${seconds}s"
  "$target" -max_total_time="$seconds" -rss_limit_mb=2048 "${inputs[@]}" 2>&1 | tail -n 2
done
