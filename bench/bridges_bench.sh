#!/usr/bin/env bash
# Times the bridges out of a history: tarn annotate of the tip of a long
# history, and tarn export (time and peak memory, /usr/bin/time -v) of one
# file with a long history and of a directory of many logfiles. Histories
# are made by ci from the versions that bench/compare_with_rcs.sh generates
# (a C-like source of 50 to 60 KB changing a little each time), then
# imported. Targets: annotate of 400 revisions at most 0.5 s; export memory
# not growing with the history's length.
#
# Usage: bench/bridges_bench.sh [build directory [revisions [logfiles]]]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
count=${2:-800}
files=${3:-100}
annotated=400
if [ ! -x "$build/bin/tarn" ]; then scripts/build.sh "$build" >/dev/null; fi
bin=$(cd "$build/bin" && pwd)
command -v ci >/dev/null || { echo "bridges_bench: ci is needed (Debian package rcs)" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "bridges_bench: /usr/bin/time is needed (Debian package time)" >&2; exit 1; }

scratch=$(mktemp -d "${TMPDIR:-/tmp}/tarn-bridges-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export TARNUSER=bench TARNACCESS=bench TARNTEMP="$scratch/" TARNRETRY=2
export TARNCOMPRESS=yes TARNJOURNAL=no TZ=UTC
unset TARNPATH TARNANSWER TARNGLOBALJOURNAL

source <(sed -n '/^generate_source() {/,/^}/p' bench/compare_with_rcs.sh)
generate_source "$scratch/versions" "$count" 7

# ci's history of `source.c` in $1, from the first $2 versions, a day apart.
make_history() {
  local dir=$1 upto=$2 i=0
  mkdir -p "$dir/RCS" "$dir/TARN"
  for version in "$scratch"/versions/v*; do
    i=$((i + 1))
    [ "$i" -le "$upto" ] || break
    cp "$version" "$dir/source.c"
    local day
    day=$(date -u -d "2020-01-01 + $i days" '+%Y-%m-%d 10:00:00')
    if [ "$i" -eq 1 ]; then
      (cd "$dir" && ci -q -l -t-"long history" -m"revision $i" -d"$day" -wdev$((i % 5)) source.c </dev/null)
    else
      (cd "$dir" && ci -q -l -f -m"revision $i" -d"$day" -wdev$((i % 5)) source.c </dev/null)
    fi
  done
  (cd "$dir" && "$bin/tarn" import RCS/source.c,v >/dev/null)
}

seconds() { awk -v n="$1" 'BEGIN { printf "%.3f", n / 1e9 }'; }
now() { date +%s%N; }

# Runs tarn under /usr/bin/time -v in $1; prints wall time and peak memory.
measure() {
  local dir=$1
  shift
  (cd "$dir" && /usr/bin/time -v -o "$scratch/time" "$bin/tarn" "$@" >"$scratch/out" 2>/dev/null)
  awk -F': ' '/Elapsed \(wall clock\)/ { wall = $2 } /Maximum resident set size/ { kb = $2 }
              END { printf "%s s wall, %d KB peak", wall, kb }' "$scratch/time"
}

make_history "$scratch/annotate" "$annotated"
start=$(now)
(cd "$scratch/annotate" && "$bin/tarn" annotate source.c >/dev/null)
echo "annotate, tip of $annotated revisions: $(seconds $(($(now) - start))) s (target <= 0.5 s)"

make_history "$scratch/long" "$count"
echo "export, one file of $count revisions: $(measure "$scratch/long" export -out "$scratch/long.fi" source.c)," \
  "stream $(stat -c %s "$scratch/long.fi") bytes"
make_history "$scratch/short" $((count / 8))
echo "export, one file of $((count / 8)) revisions: $(measure "$scratch/short" export -out "$scratch/short.fi" source.c)"

# A directory of logfiles: the first 50 versions as many files.
make_history "$scratch/one" 50
mkdir -p "$scratch/many/TARN"
logfile=$(ls "$scratch/one/TARN")
for ((f = 1; f <= files; f++)); do cp "$scratch/one/TARN/$logfile" "$scratch/many/TARN/file$f.${logfile##*.}"; done
echo "export, directory of $files logfiles of 50 revisions: $(measure "$scratch/many" export -out "$scratch/many.fi" TARN)"
if command -v git >/dev/null; then
  git init -q "$scratch/repo"
  git -C "$scratch/repo" fast-import --quiet <"$scratch/many.fi"
  echo "git: $(git -C "$scratch/repo" rev-list --count main) commits on main"
fi
