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
for source in "$root"/bench/*_bench.cpp; do
  name=$(basename "$source" .cpp)
  # The front end's benchmark exists only where Qt is found.
  if [ "$name" = frontend_bench ] && ! grep -q '^TARN_FRONTEND:BOOL=ON' "$dir/CMakeCache.txt"; then
    continue
  fi
  targets+=("$name")
done
cmake --build "$dir" --target "${targets[@]}" tarn_diff_files -j "$(nproc)"
for target in "${targets[@]}"; do
  echo "== $target"
  "$dir/bin/$target" "$@"
done
