#!/usr/bin/env bash
# Builds a Release build with the benchmarks and runs every one of them.
# Usage: bench/run.sh [build directory] [extra Google Benchmark options...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
dir=${1:-"$root/build-bench"}
shift || true
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARN_BENCH=ON -DTARN_TESTS=OFF >/dev/null
targets=()
for source in "$root"/bench/*_bench.cpp; do targets+=("$(basename "$source" .cpp)"); done
cmake --build "$dir" --target "${targets[@]}" tarn_diff_files -j "$(nproc)"
for target in "${targets[@]}"; do
  echo "== $target"
  "$dir/bin/$target" "$@"
done
