#!/usr/bin/env bash
# Installs what is missing, builds TARN and runs every test: once in a plain
# build, once under AddressSanitizer and UndefinedBehaviorSanitizer, then the
# fuzz targets for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)

scripts/build.sh build
(cd build && ctest --output-on-failure -j "$jobs" --timeout 300)

scripts/build.sh build-asan -DTARN_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j "$jobs" --timeout 600)

scripts/fuzz.sh
