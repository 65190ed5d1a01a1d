#!/usr/bin/env bash
# Times TARN's comparison and GNU diff on the same generated pair (an 8 MB
# text and a copy with 1% of its lines changed) and reports peak memory.
# Usage: bench/compare_with_gnu_diff.sh [build directory]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir=${1:-"$root/build-bench"}
if [ ! -x /usr/bin/time ]; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q time </dev/null >/dev/null
fi
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARN_BENCH=ON -DTARN_TESTS=OFF >/dev/null
cmake --build "$dir" --target tarn_diff_files >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$root/bench/make_diff_pair.py" "$work/old" "$work/new" "${PAIR_LINES:-200000}" "${PAIR_PERCENT:-1}"
echo "pair: $(wc -c <"$work/old") and $(wc -c <"$work/new") bytes, $(wc -l <"$work/old") lines"

measure() {
  local name=$1
  shift
  local best=""
  for _ in 1 2 3; do
    /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null || true
    read -r seconds kbytes < <(tail -n 1 "$work/time")
    if [ -z "$best" ] || awk "BEGIN{exit !($seconds < ${best%% *})}"; then best="$seconds $kbytes"; fi
  done
  read -r seconds kbytes <<<"$best"
  printf '%-10s best of 3: %6.3f s, peak memory %7.1f MB\n' "$name" "$seconds" "$(awk "BEGIN{print $kbytes/1024}")"
}

measure "TARN" "$dir/bin/tarn_diff_files" "$work/old" "$work/new" "$work/delta"
measure "GNU diff" diff "$work/old" "$work/new"
echo "TARN delta: $(wc -c <"$work/delta") bytes; GNU diff output: $(diff "$work/old" "$work/new" | wc -c) bytes"
