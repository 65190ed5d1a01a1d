#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
# A target that finds a crash, a leak or undefined behaviour fails the run;
# the input that did it is kept under build-fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${TARN_FUZZ_SECONDS:-40}
# A fixed seed by default, so that a failure in one run can be repeated in
# the next; TARN_FUZZ_SEED=0 lets libFuzzer pick a fresh one.
seed=${TARN_FUZZ_SEED:-1}
CC=clang CXX=clang++ scripts/build.sh build-fuzz -DTARN_FUZZ=ON -DTARN_TESTS=OFF -DCMAKE_BUILD_TYPE=Debug
mkdir -p build-fuzz/artifacts
shopt -s nullglob
passed=0
failed=0
for target in build-fuzz/bin/fuzz_*; do
  name=$(basename "$target")
  corpus="build-fuzz/corpus/$name"
  mkdir -p "$corpus"
  # Hand-made starting inputs, when a target has them, next to the corpus.
  seeds="tests/fuzz/seeds/$name"
  inputs=("$corpus")
  if [[ -d "$seeds" ]]; then inputs+=("$seeds"); fi
  echo "fuzzing $name for ${seconds}s"
  if "$target" -max_total_time="$seconds" -seed="$seed" -rss_limit_mb=2048 \
       -artifact_prefix="build-fuzz/artifacts/$name-" "${inputs[@]}" >"build-fuzz/$name.log" 2>&1; then
    tail -n 1 "build-fuzz/$name.log"
    passed=$((passed + 1))
  else
    tail -n 30 "build-fuzz/$name.log"
    failed=$((failed + 1))
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
