#!/usr/bin/env bash
# Installs what is missing, builds TARN and runs every test: once in a plain
# build (GCC, every benchmark built too, the front end's among them), once
# under AddressSanitizer and UndefinedBehaviorSanitizer (clang, benchmarks
# built too), then the fuzz targets for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)
total=0

# Runs ctest in a build directory and adds its test count to the total.
run_ctest() {
  local dir=$1
  shift
  (cd "$dir" && env "$@" ctest --output-on-failure -j "$jobs" --timeout 600) | tee "$dir/ctest.log"
  local count
  count=$(sed -n 's/.*tests passed, 0 tests failed out of \([0-9]*\).*/\1/p' "$dir/ctest.log")
  total=$((total + ${count:-0}))
}

scripts/build.sh build -DTARN_BENCH=ON
run_ctest build
# The release build, hardened as a distribution builds (without the tests),
# makes the Debian packages: lintian and the other checks a distribution
# runs, then installed for real, used by an ordinary user and removed.
scripts/build.sh build-release -DTARN_TESTS=OFF -DTARN_HARDENING=ON
scripts/package_check.sh build-release
total=$((total + 1))

# The sanitizer build is also the clang build: the plain build above is
# GCC's, so every test and benchmark compiles warning-free with both. The
# front end's tests run in the plain build: Qt's own libraries are not built
# with the sanitizers, and their caches read as leaks.
CC=clang CXX=clang++ scripts/build.sh build-asan -DTARN_SANITIZE=ON -DTARN_FRONTEND=OFF \
  -DTARN_BENCH=ON -DCMAKE_BUILD_TYPE=Debug
run_ctest build-asan ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1

scripts/fuzz.sh
echo "all: $((total + $(ls build-fuzz/bin/fuzz_* | wc -l))) passed, 0 failed"
