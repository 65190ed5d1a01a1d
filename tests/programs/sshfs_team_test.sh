#!/usr/bin/env bash
# A team on two machines sharing one logfile directory over SFTP.
#
#   sshfs_team_test.sh BIN_DIR [SECONDS [OTHER_BIN_DIR]]
#
# Serves a scratch directory from a private sshd on 127.0.0.1 (its own
# configuration, host key and port) and mounts it twice with sshfs, once
# with sshfs's default caching and once without, all inside a private
# mount namespace, so nothing is mounted outside this script. On such
# mounts advisory locks are kept per client and inode numbers follow
# paths: the lock protocol may rely on neither.
#
# Then, for SECONDS each (default 20):
#   one machine:  4 workers on the first mount;
#   two machines: 2 workers on each mount, each pair in a UTS namespace of
#                 its own with its own host name;
# the workers check in, label and lock the same two logfiles while random
# commands are killed with SIGKILL. Afterwards every revision and label
# reads back, the revisions are the check-ins reported done (plus at most
# the killed ones), every label reported done is there and none reported
# failed is, and no lock file or other stray file is left. Last, a member
# holds the lock at a question on the first mount while a member on the
# second checks out and in: the second is refused and nothing is lost.
#
# The cost of a check-in, a label and a get (time, system calls) is shown
# on a local directory and on both mounts, also for the programs in
# OTHER_BIN_DIR when given (an older build, to compare).
#
# Root is needed to mount; without FUSE (/dev/fuse) the script says it
# skipped and exits 77.
set -u

bin=${1:?usage: sshfs_team_test.sh BIN_DIR [SECONDS]}
seconds=${2:-20}
other=${3:-}
bin=$(cd "$bin" && pwd)
[ -n "$other" ] && other=$(cd "$other" && pwd)

skip() {
  echo "SKIPPED: $*"
  exit 77
}

if [ -z "${TARN_SSHFS_INSIDE:-}" ]; then
  [ "$(id -u)" = 0 ] || skip "root is needed to mount"
  [ -c /dev/fuse ] || skip "FUSE is absent (no /dev/fuse)"
  if ! command -v sshfs >/dev/null || ! [ -x /usr/sbin/sshd ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y sshfs openssh-server >/dev/null ||
      skip "sshfs and openssh-server cannot be installed"
  fi
  export TARN_SSHFS_INSIDE=1
  exec unshare --mount --propagation private "$0" "$bin" "$seconds" $other
fi

scratch=$(mktemp -d /tmp/tarn-sshfs.XXXXXX)
share=$scratch/share
m1=$scratch/mount1
m2=$scratch/mount2
mkdir -p "$share" "$m1" "$m2" "$scratch/work" "$scratch/pids"
# A directory of its own for each part, made before the mounts: no client
# has anything of it cached.
for part in one two question cost_this cost_other; do mkdir -p "$share/$part"; done
failures=0
sshd_pid=

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

finish() {
  fusermount3 -u "$m1" 2>/dev/null || fusermount -u "$m1" 2>/dev/null
  fusermount3 -u "$m2" 2>/dev/null || fusermount -u "$m2" 2>/dev/null
  [ -n "$sshd_pid" ] && kill "$sshd_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap finish EXIT

# --- the server: its privilege-separation directory lives on a tmpfs of
# this mount namespace only.
mount -t tmpfs tmpfs /run || skip "cannot mount a private /run"
mkdir -m 755 /run/sshd
ssh-keygen -q -t ed25519 -N '' -f "$scratch/host_key"
ssh-keygen -q -t ed25519 -N '' -f "$scratch/client_key"
cp "$scratch/client_key.pub" "$scratch/authorized_keys"
port=$((20000 + RANDOM % 20000))
cat >"$scratch/sshd_config" <<CONFIG
Port $port
ListenAddress 127.0.0.1
HostKey $scratch/host_key
PidFile $scratch/sshd.pid
AuthorizedKeysFile $scratch/authorized_keys
StrictModes no
PasswordAuthentication no
KbdInteractiveAuthentication no
PermitRootLogin prohibit-password
UsePAM no
Subsystem sftp internal-sftp
CONFIG
/usr/sbin/sshd -f "$scratch/sshd_config" -E "$scratch/sshd.log" || skip "sshd does not start"
for _ in $(seq 50); do [ -s "$scratch/sshd.pid" ] && break; sleep 0.1; done
sshd_pid=$(cat "$scratch/sshd.pid")

mount_share() {  # MOUNTPOINT EXTRA-OPTIONS
  sshfs -p "$port" -o "IdentityFile=$scratch/client_key,StrictHostKeyChecking=no" \
    -o "UserKnownHostsFile=/dev/null,LogLevel=ERROR$2" "root@127.0.0.1:$share" "$1"
}
mount_share "$m1" "" || skip "sshfs cannot mount"
# Without caching: sshfs's "cache=no" where it has it, else its parts.
mount_share "$m2" ",cache=no" 2>/dev/null ||
  mount_share "$m2" ",dir_cache=no,direct_io,attr_timeout=0,entry_timeout=0" ||
  skip "sshfs cannot mount without caching"

tarn=$bin/tarn
export TARNACCESS=w1,w2,w3,w4,member1,member2
export TARNRETRY=4 TARNANSWER=yes TARNJOURNALPATH=$scratch/
export TARNTEMP=$scratch/

# --- the logfiles
setup_logfiles() {  # DIR
  local d=$scratch/work/setup
  mkdir -p "$d"
  for f in f0.txt f1.txt; do
    echo "start of $f" >"$d/$f"
    (cd "$d" && TARNUSER=w1 TARNPATH=$1 "$tarn" put -text "start" -set CheckLock=no -set ProtectWorkFile=no -quiet "$f") >/dev/null ||
      fail "the logfile of $f cannot be made"
  done
}

# --- a worker: random check-ins, labels and lock/unlock pairs until time
# is up; each command's outcome is written down (137: killed).
worker() {  # ID DIR RESULTS
  local id=$1 dir=$2 results=$3 end=$((SECONDS + seconds)) n=0 f rc
  local wd=$scratch/work/w$id
  mkdir -p "$wd"
  cd "$wd" || return
  export TARNUSER=w$id TARNPATH=$dir
  while [ "$SECONDS" -lt "$end" ]; do
    n=$((n + 1))
    f=f$((RANDOM % 2)).txt
    case $((RANDOM % 3)) in
      0)
        echo "text w$id-$n" >"$f"
        run "$id" "$results" ci "$f" "w$id-$n" "$tarn" put -text "w$id-$n" -yes -quiet "$f" ;;
      1) run "$id" "$results" label "$f" "L${id}_$n" "$tarn" label -v "L${id}_$n" "$f" ;;
      2)
        run "$id" "$results" lock "$f" - "$tarn" lock "$f"
        run "$id" "$results" unlock "$f" - "$tarn" unlock "$f" ;;
    esac
  done
}

run() {  # ID RESULTS KIND FILE TAG COMMAND...
  local id=$1 results=$2 kind=$3 f=$4 tag=$5
  shift 5
  "$@" >>"$scratch/work/w$id.log" 2>&1 &
  local pid=$!
  echo "$pid" >"$scratch/pids/w$id"
  wait "$pid"
  echo "$kind $f $tag $?" >>"$results"
}

killer() {  # kills a random worker's running command now and then
  local end=$((SECONDS + seconds)) pid
  while [ "$SECONDS" -lt "$end" ]; do
    sleep "0.$((2 + RANDOM % 8))"
    pid=$(cat "$scratch/pids/w$((1 + RANDOM % 4))" 2>/dev/null) || continue
    [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = tarn ] && kill -KILL "$pid" 2>/dev/null
  done
}

# One host name per machine: a UTS namespace of its own.
as_machine() {  # NAME COMMAND...
  local name=$1
  shift
  unshare --uts bash -c 'hostname "$0" && exec "$@"' "$name" "$@"
}
export -f worker run
export scratch seconds tarn

# Clears what killed commands left, from each machine (a lock is cleared
# only by its own machine), with a command that changes nothing.
clear_leftovers() {  # MACHINE:DIR...
  for pair in "$@"; do
    for f in f0.txt f1.txt; do
      (cd "$scratch/work" && as_machine "${pair%%:*}" env TARNUSER=w1 TARNPATH="${pair#*:}" \
        "$tarn" unlock "$f") >/dev/null 2>&1
    done
  done
}

# Checks the logfiles in DIR against RESULTS.
check() {  # LABEL DIR RESULTS PART
  local what=$1 dir=$2 results=$3 f
  local wd=$scratch/work/check
  mkdir -p "$wd"
  for f in f0.txt f1.txt; do
    local log
    log=$(cd "$wd" && TARNPATH=$dir "$tarn" log "$f" 2>&1) || fail "$what: tarn log $f: $log"
    local revisions done_ci killed_ci
    revisions=$(printf '%s\n' "$log" | grep -cE '^Revision: +[0-9.]+')
    done_ci=$(grep -c "^ci $f .* 0\$" "$results")
    killed_ci=$(grep -c "^ci $f .* 137\$" "$results")
    # The first revision is the set-up's.
    if [ $((revisions - 1)) -lt "$done_ci" ] || [ $((revisions - 1)) -gt $((done_ci + killed_ci)) ]; then
      fail "$what: $f has $((revisions - 1)) check-ins; $done_ci reported done, $killed_ci killed"
    fi
    local texts="" r
    for r in $(printf '%s\n' "$log" | sed -nE 's/^Revision: +([0-9.]+).*/\1/p'); do
      texts+=$(cd "$wd" && TARNPATH=$dir "$tarn" get -stdout -rev "$r" "$f" 2>&1) ||
        fail "$what: revision $r of $f does not read back"
      texts+=$'\n'
    done
    while read -r _ _ tag _; do
      grep -qx "text $tag" <<<"$texts" || fail "$what: check-in $tag of $f, reported done, is missing"
    done < <(grep "^ci $f .* 0\$" "$results")
    while read -r _ _ tag rc; do
      local present=no
      grep -qw -- "$tag" <<<"$log" && present=yes
      [ "$rc" = 0 ] && [ $present = no ] && fail "$what: label $tag of $f reported done is missing"
      [ "$rc" != 0 ] && [ "$rc" != 137 ] && [ $present = yes ] &&
        fail "$what: label $tag of $f reported failed is there"
    done < <(grep "^label $f " "$results")
    echo "$what: $f: $((revisions - 1)) check-ins ($done_ci done, $killed_ci killed)," \
      "$(grep -c "^label $f .* 0\$" "$results") labels done," \
      "$(grep -c "^label $f " "$results" | tr -d ' ') tried," \
      "$(grep -c "^lock $f .* 0\$" "$results") locks done"
  done
  # libfuse's own hidden copies of files replaced while open on that mount
  # go when the last holder closes them: given a moment, then counted.
  sleep 2
  local strays hidden
  hidden=$(cd "$share/$4" && ls -A | grep -c '^\.fuse_hidden')
  strays=$(cd "$share/$4" && ls -A | grep -vxE 'f[01]\.uyu|\.fuse_hidden.*')
  [ -z "$strays" ] || fail "$what: stray files left: $(echo $strays)"
  [ "$hidden" = 0 ] || echo "note: $what: $hidden hidden files of libfuse left (.fuse_hidden*)"
}

rounds() {  # LABEL RESULTS MACHINE:DIR MACHINE:DIR MACHINE:DIR MACHINE:DIR
  local what=$1 results=$2
  shift 2
  : >"$results"
  local pids=() id=0 pair
  for pair in "$@"; do
    id=$((id + 1))
    as_machine "${pair%%:*}" bash -c 'worker "$@"' worker "$id" "${pair#*:}" "$results" &
    pids+=($!)
  done
  killer &
  local killer_pid=$!
  wait "${pids[@]}"
  wait "$killer_pid"
  clear_leftovers "$@"
  echo "$what: $(wc -l <"$results") commands, $(grep -c ' 137$' "$results") killed"
}

setup_logfiles "$m1/one"
rounds "one machine" "$scratch/one.txt" alpha:"$m1/one" alpha:"$m1/one" alpha:"$m1/one" alpha:"$m1/one"
check "one machine" "$m1/one" "$scratch/one.txt" one

setup_logfiles "$m1/two"
rounds "two machines" "$scratch/two.txt" alpha:"$m1/two" alpha:"$m1/two" beta:"$m2/two" beta:"$m2/two"
check "two machines" "$m2/two" "$scratch/two.txt" two

# --- member 1 at a question while holding the lock; member 2 on the other
# machine checks out and in.
q=question
w1=$scratch/work/member1 && w2=$scratch/work/member2
mkdir -p "$w1" "$w2"
echo "first" >"$w1/q.txt"
(cd "$w1" && TARNUSER=member1 TARNPATH=$m1/$q "$tarn" put -text q -set ProtectWorkFile=no -quiet q.txt) >/dev/null ||
  fail "the logfile of q.txt cannot be made"
chmod u+w "$w1/q.txt"
mkfifo "$scratch/answer"
exec 9<>"$scratch/answer"
# Member 1's check-out finds a writable workfile and asks; its answer comes
# through the FIFO, written only after member 2 is done.
# A terminal of its own (script), as a person at a question has.
(cd "$w1" && as_machine alpha script -qfec \
  "env -u TARNANSWER TARNUSER=member1 TARNPATH='$m1/$q' '$tarn' get -lock q.txt" /dev/null \
  <"$scratch/answer" >"$scratch/member1.out" 2>&1) &
member1=$!
held_at_question=no
for _ in $(seq 100); do
  grep -q '^\$' <<<"$(ls -A "$share/$q")" && held_at_question=yes && break
  sleep 0.1
done
before=$(cd "$share/$q" && md5sum <q.uyu)
(cd "$w2" && as_machine beta env TARNUSER=member2 TARNPATH="$m2/$q" TARNRETRY=2 \
  "$tarn" get -lock q.txt >"$scratch/member2.out" 2>&1)
get_rc=$?
echo "member 2's change" >"$w2/q.txt"
(cd "$w2" && as_machine beta env TARNUSER=member2 TARNPATH="$m2/$q" TARNRETRY=2 \
  "$tarn" put -text "member 2" -quiet q.txt >>"$scratch/member2.out" 2>&1)
put_rc=$?
(echo yes >&9) 2>/dev/null  # in a subshell: member 1 may have gone already
exec 9>&-
wait "$member1"
if [ $held_at_question = yes ]; then
  [ $get_rc != 0 ] && [ $put_rc != 0 ] || fail "member 2 was not refused (get $get_rc, put $put_rc)"
  grep -q "member1 on alpha" "$scratch/member2.out" ||
    fail "the refusal does not name member 1 and the machine: $(cat "$scratch/member2.out")"
  [ "$(cd "$share/$q" && md5sum <q.uyu)" != "$before" ] ||
    fail "member 1's lock was not recorded: $(cat "$scratch/member1.out")"
else
  echo "note: member 1 asked before it took the lock file; member 2 was not held up;" \
    "member 1: $(head -c 300 "$scratch/member1.out" | tr '\n' ' ')"
fi
log=$(cd "$w1" && TARNPATH=$m1/$q "$tarn" log q.txt 2>&1)
revisions=$(printf '%s\n' "$log" | grep -cE '^Revision: +[0-9.]+')
expected=1
[ $put_rc = 0 ] && expected=2
[ "$revisions" = "$expected" ] || fail "q.txt has $revisions revisions; $expected expected"
# (libfuse's hidden copies of files renamed over while open are its own, as
# in the workers' rounds above.)
strays=$(cd "$share/$q" && ls -A | grep -vxE 'q\.uyu|\.fuse_hidden.*')
[ -z "$strays" ] || fail "question: stray files left: $(echo $strays)"
echo "question: member 1 held the lock at its question: $held_at_question;" \
  "member 2: get exit $get_rc, put exit $put_rc: $(head -c 400 "$scratch/member2.out" | tr '\n' ' ')"

# --- cost: check-ins, labels and gets on a local directory and on each
# mount, in time and in system calls (strace -c -f) per command.
cost() {  # LABEL DIR TARN
  local d=$scratch/work/cost_$1_$RANDOM start end calls op program=$3
  mkdir -p "$d"
  cd "$d" || return
  export TARNUSER=w1 TARNPATH=$2
  echo one >c.txt
  "$program" put -text c -quiet c.txt >/dev/null 2>&1
  start=$(date +%s%N)
  for i in $(seq 10); do
    echo "$i" >c.txt
    "$program" put -text "$i" -yes -quiet c.txt >/dev/null 2>&1
    "$program" label -v "C$i" c.txt >/dev/null 2>&1
    "$program" get -stdout c.txt >/dev/null 2>&1
  done
  end=$(date +%s%N)
  local line="cost on $1: $(((end - start) / 30000000)) ms per command;"
  for op in "put -text x -yes -quiet c.txt" "label -v S c.txt" "get -stdout c.txt"; do
    echo "x$RANDOM" >c.txt
    # shellcheck disable=SC2086
    strace -f -c -o "$scratch/strace.txt" "$program" $op >/dev/null 2>&1
    calls=$(tail -1 "$scratch/strace.txt" | awk '{print $4}')
    line+=" ${op%% *} $calls calls"
  done
  echo "$line"
  cd "$scratch" || return
}
if command -v strace >/dev/null; then
  for build in "$bin" $other; do
    [ "$build" = "$bin" ] && name=this || name=other
    mkdir -p "$scratch/local_$name"
    cost "local directory ($name build)" "$scratch/local_$name" "$build/tarn"
    mkdir -p "$m1/cost_$name/cached" "$m2/cost_$name/uncached"
    cost "sshfs with caching ($name build)" "$m1/cost_$name/cached" "$build/tarn"
    cost "sshfs without caching ($name build)" "$m2/cost_$name/uncached" "$build/tarn"
  done
fi

if [ "$failures" -gt 0 ]; then
  echo "$failures failures"
  exit 1
fi
echo "sshfs team test passed"
