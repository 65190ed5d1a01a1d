#!/usr/bin/env bash
# Replays the same file histories through TARN (the tput and tget programs)
# and through RCS (ci and co, run only as a timing peer) and prints the
# ratios TARN/RCS:
#   check-in    total time of every check-in            target <= 0.5
#   get newest  time to fetch the newest revision        target <= 0.5
#   get middle  time to fetch the revision half way back  target <= 1.0
#   get oldest  time to fetch the first revision          target <= 1.0
#   size        logfile size against the RCS file size    target <= 1.0
# On the long history (below) the targets for the middle and the oldest
# revision are 0.5 as well.
# Each time ratio is printed twice: as measured, and with the cost of the
# measuring loop itself (copy, subshell, start of a program) taken off both
# sides, which on small files is most of what either tool is timed at.
# Histories: 200 revisions of a 2,000-line file and 20 revisions of a
# 200,000-line file (about 8 MB), 1% of the lines changed each time; a long
# history of 720 revisions of a C-like source of 50 to 60 KB, each made from
# the one before by one to three small edits (lines changed, added, removed,
# now and then a new function); and the history of one of this project's
# own files from git.
#
# Usage: bench/compare_with_rcs.sh [build directory [history...]]
#   build directory: default build; histories: small, large, long, real
#   (default: all four)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${1:-build}
shift || true
histories=${*:-small large long real}
wanted() { [[ " $histories " == *" $1 "* ]]; }

if ! command -v ci >/dev/null || ! command -v co >/dev/null; then
  echo "installing the Debian package rcs (timing peer only)"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo_cmd apt-get install -y -q rcs </dev/null >/dev/null 2>&1 ||
    { $sudo_cmd apt-get update -q </dev/null >/dev/null && $sudo_cmd apt-get install -y -q rcs </dev/null >/dev/null; }
fi
if [ ! -x "$build/bin/tput" ] || [ ! -x "$build/bin/tget" ]; then
  scripts/build.sh "$build" >/dev/null
fi
bin=$(cd "$build/bin" && pwd)

scratch=$(mktemp -d "${TMPDIR:-/tmp}/tarn-vs-rcs-XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# TARN's settings for the runs: no locks to take, nothing protected, no
# journal, compression on; one retry is plenty for a single user.
export TARNUSER=bench TARNACCESS=bench TARNTEMP="$scratch/" TARNRETRY=2
export TARNCHECKLOCK=no TARNPROTECTLOG=no TARNPROTECTWORK=no TARNJOURNAL=no TARNCOMPRESS=yes
unset TARNEXPAND TARNBINARY TARNDELETEWORK TARNANSWER TARNGLOBALJOURNAL

now() { date +%s%N; }

# Writes versions v1..vN of a generated file into directory $1: N versions
# of `lines` lines, each changing 1% of the lines of the one before.
generate() {
  local dir=$1 lines=$2 count=$3 seed=$4
  mkdir -p "$dir"
  awk -v lines="$lines" -v count="$count" -v seed="$seed" -v dir="$dir" 'BEGIN {
    srand(seed)
    for (i = 1; i <= lines; i++) text[i] = sprintf("line %d of the original text, value %d", i, int(rand() * 100000))
    for (v = 1; v <= count; v++) {
      if (v > 1) for (c = 0; c < lines / 100; c++) {
        i = 1 + int(rand() * lines)
        text[i] = sprintf("line %d changed in version %d, value %d", i, v, int(rand() * 100000))
      }
      file = sprintf("%s/v%04d", dir, v)
      for (i = 1; i <= lines; i++) print text[i] > file
      close(file)
    }
  }'
}

# Writes versions v0001..vNNNN of a C-like source file into directory $1:
# about 49 KB at first, growing to about 59 KB over 720 versions, each made
# from the one before by one to three small edits: a statement changed, one
# to three statements added or removed, now and then a new function.
generate_source() {
  local dir=$1 count=$2 seed=$3
  mkdir -p "$dir"
  awk -v count="$count" -v seed="$seed" -v dir="$dir" '
  function word() { return words[int(rand() * nw) + 1] }
  function ident() { return word() "_" word() }
  function stmt(depth,  r, ind) {
    ind = substr("                ", 1, 4 * depth)
    r = rand()
    if (r < 0.25) return sprintf("%s%s = %s(%s, %d);", ind, ident(), ident(), word(), int(rand() * 1000))
    if (r < 0.45) return sprintf("%sif (%s > %d) %s(%s);", ind, word(), int(rand() * 64), ident(), word())
    if (r < 0.60) return sprintf("%s/* %s %s %s %s */", ind, word(), word(), word(), word())
    if (r < 0.75) return sprintf("%s%s->%s += %s;", ind, word(), word(), int(rand() * 16))
    if (r < 0.90) return sprintf("%sreturn %s(%s);", ind, ident(), word())
    return sprintf("%sfor (i = 0; i < %s; i++) %s[i] = %d;", ind, word(), word(), int(rand() * 9))
  }
  function new_function(  n, k) {
    add[++na] = ""
    add[++na] = sprintf("static int %s(struct %s *%s, int %s)", ident(), word(), word(), word())
    add[++na] = "{"
    n = 4 + int(rand() * 14)
    for (k = 0; k < n; k++) add[++na] = stmt(1 + int(rand() * 2))
    add[++na] = "}"
  }
  function insert_before(at,  k) {  # puts add[1..na] before line `at`
    for (k = nl; k >= at; k--) text[k + na] = text[k]
    for (k = 1; k <= na; k++) text[at + k - 1] = add[k]
    nl += na
    na = 0
  }
  function remove(at, n,  k) {
    if (at + n - 1 > nl) n = nl - at + 1
    for (k = at; k + n <= nl; k++) text[k] = text[k + n]
    nl -= n
  }
  BEGIN {
    srand(seed)
    nw = split("buf len count node next prev data size flag state offset item entry list table key value index limit total result error pos mark head tail", words, " ")
    nl = 0
    text[++nl] = "/* generated source for the long-history benchmark */"
    text[++nl] = "#include <stdio.h>"
    for (bytes = 0; bytes < 49000; ) {
      na = 0; new_function(); insert_before(nl + 1)
      bytes = 0
      for (k = 1; k <= nl; k++) bytes += length(text[k]) + 1
    }
    for (v = 1; v <= count; v++) {
      if (v > 1) for (e = 1 + int(rand() * 3); e > 0; e--) {
        r = rand(); at = 3 + int(rand() * (nl - 3))
        if (r < 0.45) text[at] = stmt(1 + int(rand() * 2))
        else if (r < 0.70) {
          na = 0
          for (k = 1 + int(rand() * 3); k > 0; k--) add[++na] = stmt(1 + int(rand() * 2))
          insert_before(at)
        }
        else if (r < 0.988) remove(at, 1 + int(rand() * 3))
        else { na = 0; new_function(); insert_before(at) }
      }
      file = sprintf("%s/v%04d", dir, v)
      for (k = 1; k <= nl; k++) print text[k] > file
      close(file)
    }
  }'
}

# Versions of one of this project's files, from its git history.
real_history() {
  local dir=$1 path=$2
  mkdir -p "$dir"
  local n=0
  for commit in $(git -C "$root" log --format=%H --reverse -- "$path"); do
    if git -C "$root" show "$commit:$path" >"$dir/next" 2>/dev/null; then
      n=$((n + 1))
      mv "$dir/next" "$dir/$(printf 'v%04d' "$n")"
    fi
  done
  rm -f "$dir/next"
}

# Runs one history through both systems and prints a line of ratios.
compare() {
  local title=$1 versions=$2 name=$3 old_target=${4:-1.00}
  local tarn="$scratch/tarn-$name" rcs="$scratch/rcs-$name"
  mkdir -p "$tarn/logs" "$tarn/work" "$rcs/RCS"
  local files=("$versions"/v*)
  local count=${#files[@]}
  export TARNPATH="$tarn/logs"

  local start end tarn_in rcs_in i=0
  start=$(now)
  for version in "${files[@]}"; do
    i=$((i + 1))
    cp "$version" "$tarn/work/$name"
    (cd "$tarn/work" && "$bin/tput" -quiet -yes -text "revision $i" "$name" >/dev/null)
  done
  end=$(now); tarn_in=$((end - start))

  i=0
  start=$(now)
  for version in "${files[@]}"; do
    i=$((i + 1))
    cp "$version" "$rcs/$name"
    if [ "$i" -eq 1 ]; then
      (cd "$rcs" && ci -q -l -t-"$title" -m"revision $i" "$name" </dev/null)
    else
      (cd "$rcs" && ci -q -l -f -m"revision $i" "$name" </dev/null)
    fi
  done
  end=$(now); rcs_in=$((end - start))

  # What the loops themselves cost (copying the version, a subshell, starting
  # a program): the same loop running /bin/true. On small files this is most
  # of the time on both sides, so the ratios are also printed without it.
  local shell_in
  start=$(now)
  for version in "${files[@]}"; do
    cp "$version" "$scratch/shell-$name"
    (cd "$tarn/work" && /bin/true "$name" >/dev/null)
  done
  end=$(now); shell_in=$((end - start))

  # Fetching: each repeated so that short runs still measure something.
  local repeat=10 tarn_new rcs_new tarn_mid rcs_mid tarn_old rcs_old shell_get
  # The revision half way back: TARN numbers the first check-in 1.0, RCS 1.1.
  local middle=$(((count + 1) / 2))
  start=$(now)
  for ((r = 0; r < repeat; r++)); do
    (cd "$tarn/work" && "$bin/tget" -quiet -yes -out "$tarn/newest" "$name" >/dev/null)
  done
  end=$(now); tarn_new=$((end - start))
  start=$(now)
  for ((r = 0; r < repeat; r++)); do (cd "$rcs" && co -q -p "$name" >"$rcs/newest"); done
  end=$(now); rcs_new=$((end - start))
  start=$(now)
  for ((r = 0; r < repeat; r++)); do
    (cd "$tarn/work" && "$bin/tget" -quiet -yes -rev "1.$((middle - 1))" -out "$tarn/middle" "$name" >/dev/null)
  done
  end=$(now); tarn_mid=$((end - start))
  start=$(now)
  for ((r = 0; r < repeat; r++)); do (cd "$rcs" && co -q -p -r"1.$middle" "$name" >"$rcs/middle"); done
  end=$(now); rcs_mid=$((end - start))
  start=$(now)
  for ((r = 0; r < repeat; r++)); do
    (cd "$tarn/work" && "$bin/tget" -quiet -yes -rev 1.0 -out "$tarn/oldest" "$name" >/dev/null)
  done
  end=$(now); tarn_old=$((end - start))
  start=$(now)
  for ((r = 0; r < repeat; r++)); do (cd "$rcs" && co -q -p -r1.1 "$name" >"$rcs/oldest"); done
  end=$(now); rcs_old=$((end - start))
  start=$(now)
  for ((r = 0; r < repeat; r++)); do (cd "$tarn/work" && /bin/true -out "$tarn/shell" "$name" >/dev/null); done
  end=$(now); shell_get=$((end - start))

  # Both must give back what was checked in.
  cmp -s "$tarn/newest" "${files[$((count - 1))]}" || { echo "TARN: newest revision differs" >&2; exit 1; }
  cmp -s "$tarn/middle" "${files[$((middle - 1))]}" || { echo "TARN: middle revision differs" >&2; exit 1; }
  cmp -s "$tarn/oldest" "${files[0]}" || { echo "TARN: first revision differs" >&2; exit 1; }
  cmp -s "$rcs/newest" "${files[$((count - 1))]}" || echo "note: co's newest revision differs" >&2

  local logfile=("$tarn/logs"/*) tarn_size rcs_size
  tarn_size=$(stat -c %s "${logfile[0]}")
  rcs_size=$(stat -c %s "$rcs/RCS/$name,v")

  ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
  # The ratio once the loop's own cost `$3` is taken off both sides.
  net() { awk -v a="$1" -v b="$2" -v s="$3" 'BEGIN { printf "%.2f", (b > s ? (a > s ? a - s : 0) / (b - s) : 0) }'; }
  ms() { awk -v t="$1" 'BEGIN { printf "%.0f", t / 1e6 }'; }
  printf '%s (%d revisions)\n' "$title" "$count"
  printf '  check-in total  %8s ms vs ci %8s ms   ratio %s, %s net of the loop (%s ms) (target <= 0.50)\n' \
    "$(ms "$tarn_in")" "$(ms "$rcs_in")" "$(ratio "$tarn_in" "$rcs_in")" \
    "$(net "$tarn_in" "$rcs_in" "$shell_in")" "$(ms "$shell_in")"
  printf '  get newest x%d  %8s ms vs co %8s ms   ratio %s, %s net of the loop (%s ms) (target <= 0.50)\n' \
    "$repeat" "$(ms "$tarn_new")" "$(ms "$rcs_new")" "$(ratio "$tarn_new" "$rcs_new")" \
    "$(net "$tarn_new" "$rcs_new" "$shell_get")" "$(ms "$shell_get")"
  printf '  get middle x%d  %8s ms vs co %8s ms   ratio %s, %s net of the loop (%s ms) (target <= %s)\n' \
    "$repeat" "$(ms "$tarn_mid")" "$(ms "$rcs_mid")" "$(ratio "$tarn_mid" "$rcs_mid")" \
    "$(net "$tarn_mid" "$rcs_mid" "$shell_get")" "$(ms "$shell_get")" "$old_target"
  printf '  get oldest x%d  %8s ms vs co %8s ms   ratio %s, %s net of the loop (%s ms) (target <= %s)\n' \
    "$repeat" "$(ms "$tarn_old")" "$(ms "$rcs_old")" "$(ratio "$tarn_old" "$rcs_old")" \
    "$(net "$tarn_old" "$rcs_old" "$shell_get")" "$(ms "$shell_get")" "$old_target"
  printf '  logfile size    %8s B  vs    %8s B    ratio %s (target <= 1.00)\n' \
    "$tarn_size" "$rcs_size" "$(ratio "$tarn_size" "$rcs_size")"
}

echo "generating the histories in $scratch"
if wanted small; then
  generate "$scratch/small" 2000 200 1
  compare "2,000 lines, 1% changed each time" "$scratch/small" small.txt
fi
if wanted large; then
  generate "$scratch/large" 200000 20 2
  compare "200,000 lines (8 MB), 1% changed each time" "$scratch/large" large.txt
fi
if wanted long; then
  generate_source "$scratch/long" 720 7
  compare "long history: a 50-60 KB C source, small edits" "$scratch/long" long.c 0.50
fi
if wanted real; then
  # The project file with the longest history.
  real_file=$(git -C "$root" log --format= --name-only -- engine catalogue tools tests |
    grep -v '^$' | sort | uniq -c | sort -rn | awk 'NR == 1 { print $2 }')
  real_history "$scratch/real" "$real_file"
  compare "this project's $real_file from git" "$scratch/real" "$(basename "$real_file")"
fi
