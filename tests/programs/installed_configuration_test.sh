#!/usr/bin/env bash
# Installs the build into a scratch prefix (never the system) and checks that
# tarn and each of the seven programs in libexec/tarn/ follow the same
# configuration: a team's dorn.ini beside bin/tarn, and without TARNUSER the
# INI file of the login name.
#   installed_configuration_test.sh BUILD_DIR
set -euo pipefail
# (No pipeline ends in grep -q: it stops reading at its first match, and
# pipefail would turn the writer's SIGPIPE into a failed check.)
fail() { echo "installed_configuration: $*" >&2; exit 1; }
prefix=$(mktemp -d)
scratch=$(mktemp -d)
trap 'rm -rf "$prefix"; chmod -R u+w "$scratch"; rm -rf "$scratch"' EXIT
cmake --install "$1" --prefix "$prefix" >/dev/null
for name in $(env | sed -n 's/^\(TARN[A-Z]*\)=.*/\1/p'); do unset "$name"; done
export XDG_CONFIG_HOME="$scratch/no-config" HOME="$scratch/home" TARNJOURNALPATH="$scratch/"
libexec="$prefix/libexec/tarn"
tarn="$prefix/bin/tarn"

# The team's shared installation: its dorn.ini beside bin/tarn names a
# project whose logfiles live away from the files.
mkdir -p "$scratch/team/src" "$scratch/team/logs"
cat >"$prefix/bin/dorn.ini" <<INI
[Projects]
Team=$scratch/team/src

[Team]
TARNPATH=$scratch/team/logs
TARNACCESS=ann
INI
cd "$scratch/team/src"
export TARNUSER=ann
grep -q "Project in force: Team" <<<"$("$tarn" project)" || fail "tarn sees no Team project: $("$tarn" project 2>&1)"
for n in 1 2; do printf 'line %s\n' "$n" >"file$n.c"; done
"$tarn" put -text "by tarn" file1.c || fail "tarn put"
"$libexec/tput" -text "by tput" file2.c || fail "tput"
[ "$(ls "$scratch/team/logs" | wc -l)" -eq 2 ] ||
  fail "logfiles in the project's directory: $(ls "$scratch/team/logs")"
[ ! -e TARN ] || fail "a program used ./TARN instead of the project's directory"
# Each program finds the logfiles there: a program that looked elsewhere
# finds no logfile and fails.
"$libexec/tget" -lock -yes file1.c || fail "tget"
"$libexec/tunlock" file1.c || fail "tunlock"
"$libexec/tlock" file2.c || fail "tlock"
"$libexec/tunlock" file2.c || fail "tunlock of tlock's lock"
"$libexec/tstamp" -v shared file1.c || fail "tstamp"
"$libexec/tunstamp" -v shared file1.c || fail "tunstamp"
"$libexec/tmh" -desc -text "shared description" file2.c || fail "tmh"
grep -q "shared description" <<<"$("$tarn" log file2.c)" || fail "tmh's change not seen by tarn"
unset TARNUSER

# Without TARNUSER: the login name's own INI file and its user project.
login=$(id -un)
rm "$prefix/bin/dorn.ini"
mkdir -p "$scratch/config" "$scratch/mine/src" "$scratch/mine/logs"
cat >"$scratch/config/$login.ini" <<INI
[Projects]
Mine=$scratch/mine/src

[Mine]
TARNPATH=$scratch/mine/logs
INI
export TARNCONFIG="$scratch/config"
cd "$scratch/mine/src"
grep -q "Project in force: Mine" <<<"$("$tarn" project)" || fail "tarn sees no Mine project: $("$tarn" project 2>&1)"
printf 'mine\n' >a.c
printf 'mine too\n' >b.c
"$tarn" put -text "by tarn" a.c || fail "tarn put as $login"
"$libexec/tput" -text "by tput" b.c || fail "tput as $login"
[ "$(ls "$scratch/mine/logs" | wc -l)" -eq 2 ] || fail "logfiles of Mine: $(ls "$scratch/mine/logs")"
[ ! -e TARN ] || fail "a program used ./TARN without TARNUSER"
"$libexec/tlock" a.c || fail "tlock as $login"
grep -q "$login" <<<"$("$tarn" log a.c)" || fail "the login name is not the author"
"$libexec/tget" -yes b.c || fail "tget as $login"
"$tarn" project create user Other "$scratch/other" || fail "tarn project create user without TARNUSER"
grep -q "^Other=" "$scratch/config/$login.ini" || fail "the user project is not in $login.ini"
echo "installed_configuration: passed"
