#!/usr/bin/env bash
# Checks an installed TARN: the layout under PREFIX and a round trip with the
# installed tarn (add, check out, check in, label, get by label, log, status,
# diff), with no TARN variable set but the user's name (TARNUSER).
#   installed_round_trip.sh [--round-trip-only] PREFIX
# --round-trip-only leaves out the layout, for a prefix that holds other
# programs as well (/usr).
set -euo pipefail
check_layout=true
if [ "$1" = --round-trip-only ]; then
  check_layout=false
  shift
fi
prefix=$(cd "$1" && pwd)
fail() { echo "installed_round_trip: $*" >&2; exit 1; }

check_layout() {
  # The layout: tarn (and the desktop front end dorn, when it was built) alone
  # on PATH, the seven programs in libexec/tarn/, the catalogue, usage texts,
  # man pages and completion in share/.
  [ -x "$prefix/bin/tarn" ] || fail "no bin/tarn"
  for program in "$prefix"/bin/*; do
    case $(basename "$program") in
      tarn | dorn) ;;
      *) fail "bin/ holds more than tarn and dorn: $(ls "$prefix/bin")" ;;
    esac
  done
  # The desktop front end brings its help page, desktop entry, icon, AppStream
  # data and man page.
  if [ -e "$prefix/bin/dorn" ]; then
    [ -f "$prefix/share/tarn/dorn.html" ] || fail "no share/tarn/dorn.html"
    [ -f "$prefix/share/applications/dorn.desktop" ] || fail "no dorn.desktop"
    [ -f "$prefix/share/icons/hicolor/scalable/apps/dorn.svg" ] || fail "no dorn.svg"
    [ -f "$prefix/share/metainfo/org.tarnproject.dorn.metainfo.xml" ] || fail "no AppStream data"
    [ -f "$prefix/share/man/man1/dorn.1.gz" ] || fail "no man page dorn.1.gz"
  fi
  for program in tget tput tlock tunlock tstamp tunstamp tmh; do
    [ -x "$prefix/libexec/tarn/$program" ] || fail "no libexec/tarn/$program"
  done
  for file in tarnMsgF tarn.usa tget.usa tarn_log.usa; do
    [ -f "$prefix/share/tarn/$file" ] || fail "no share/tarn/$file"
  done
  for page in tarn tarn-get tarn-put tarn-log tarn-status tarn-diff tarn-project tarn-user; do
    [ -f "$prefix/share/man/man1/$page.1.gz" ] || fail "no man page $page.1.gz"
  done
  [ -f "$prefix/share/bash-completion/completions/tarn" ] || fail "no bash completion"
}
if $check_layout; then check_layout; fi

scratch=$(mktemp -d)
trap 'chmod -R u+w "$scratch"; rm -rf "$scratch"' EXIT
mkdir -p "$scratch/project/TARN"
cd "$scratch/project"
for name in $(env | sed -n 's/^\(TARN[A-Z]*\)=.*/\1/p'); do
  [ "$name" = TARNUSER ] || unset "$name"
done
export PATH="$prefix/bin:$PATH"
export TARNJOURNALPATH="$scratch/"

# The system's tput is not shadowed.
system_tput=$(command -v tput || true)
if [ -n "$system_tput" ] && [ "$system_tput" -ef "$prefix/libexec/tarn/tput" ]; then
  fail "tput on PATH is TARN's"
fi

# Completion offers the subcommands and a subcommand's option words.
completions=$(bash -c "source '$prefix/share/bash-completion/completions/tarn'
  COMP_WORDS=(tarn ''); COMP_CWORD=1; _tarn; echo \"\${COMPREPLY[*]}\"
  COMP_WORDS=(tarn get -lo); COMP_CWORD=2; _tarn; echo \"\${COMPREPLY[*]}\"")
case "$completions" in *"get put lock"*"-lock"*) ;; *) fail "completion: $completions" ;; esac

# A single-command program finds its catalogue from libexec/tarn/, and
# tarn the usage texts.
"$prefix/libexec/tarn/tget" -lokc x.c >"$scratch/refused" 2>&1 && fail "tget -lokc succeeded"
grep -q "did you mean -lock" "$scratch/refused" || fail "tget -lokc: $(cat "$scratch/refused")"
tarn help get >"$scratch/usage" || fail "tarn help get failed"
grep -q "^tarn get \[options\]" "$scratch/usage" || fail "tarn help get: $(cat "$scratch/usage")"

for n in 1 2 3; do printf 'line %s\n' "$n" >"file$n.c"; done
tarn put -text "first version" file1.c file2.c file3.c || fail "add"
tarn get -lock -yes file1.c file2.c || fail "check out"
chmod u+w file1.c
printf 'line 1\nchanged\n' >file1.c
tarn diff file1.c >"$scratch/diff" && fail "diff saw no change"
grep -q '^+changed$' "$scratch/diff" || fail "diff listing: $(cat "$scratch/diff")"
tarn put -text "second version" file1.c || fail "check in"
tarn unlock file2.c || fail "unlock"
tarn label -v release1 file1.c file2.c file3.c || fail "label"
tarn get -v release1 -yes file1.c || fail "get by label"
tarn log file1.c >"$scratch/log" || fail "log"
grep -q "second version" "$scratch/log" || fail "log lacks the description"
log_json=$(tarn log -json file1.c)
grep -q '"label":"release1"' <<<"$log_json" || fail "log -json lacks the label"
tarn status >"$scratch/status" || fail "status"
grep -q file3.c "$scratch/status" || fail "status lacks file3.c"
tarn diff file1.c || fail "diff after get"
echo "installed_round_trip: $prefix passed"
