#!/usr/bin/env bash
# Times `tarn import` of a long history against co printing every revision
# of the same ,v file (RCS run only as the reference), and prints both and
# their ratio; the target is a ratio of at most 1.0. The history: 800
# revisions of a C-like source of 50 to 60 KB, made by ci from the versions
# that bench/compare_with_rcs.sh generates for its long history.
#
# Usage: bench/import_vs_co.sh [build directory [revisions]]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
count=${2:-800}
if [ ! -x "$build/bin/tarn" ]; then scripts/build.sh "$build" >/dev/null; fi
bin=$(cd "$build/bin" && pwd)
command -v ci >/dev/null || { echo "import_vs_co: ci and co are needed (Debian package rcs)" >&2; exit 1; }

scratch=$(mktemp -d "${TMPDIR:-/tmp}/tarn-import-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export TARNUSER=bench TARNACCESS=bench TARNTEMP="$scratch/" TARNRETRY=2
export TARNCOMPRESS=yes TARNJOURNAL=no
unset TARNPATH TARNANSWER TARNGLOBALJOURNAL

# The generator of the long history, as the RCS comparison defines it.
source <(sed -n '/^generate_source() {/,/^}/p' bench/compare_with_rcs.sh)
generate_source "$scratch/versions" "$count" 7

mkdir -p "$scratch/work/RCS" "$scratch/work/TARN"
cd "$scratch/work"
i=0
for version in "$scratch"/versions/v*; do
  i=$((i + 1))
  cp "$version" source.c
  if [ "$i" -eq 1 ]; then
    ci -q -l -t-"long history" -m"revision $i" source.c </dev/null
  else
    ci -q -l -f -m"revision $i" source.c </dev/null
  fi
done

now() { date +%s%N; }
start=$(now)
for ((r = 1; r <= count; r++)); do co -q -p -r1.$r RCS/source.c,v >/dev/null; done
co_time=$(($(now) - start))

start=$(now)
"$bin/tarn" import RCS/source.c,v >/dev/null
import_time=$(($(now) - start))

start=$(now)
"$bin/tarn" import -check RCS/source.c,v >/dev/null
check_time=$(($(now) - start))

printf 'revisions %d, ,v file %d bytes, logfile %d bytes\n' "$count" \
  "$(stat -c %s RCS/source.c,v)" "$(stat -c %s TARN/source.d)"
awk -v c="$co_time" -v i="$import_time" -v k="$check_time" 'BEGIN {
  printf "co -p of every revision  %8.3f s\n", c / 1e9
  printf "tarn import              %8.3f s   ratio %.2f (target <= 1.0)\n", i / 1e9, i / c
  printf "tarn import -check       %8.3f s\n", k / 1e9
}'
