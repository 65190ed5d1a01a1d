#!/usr/bin/env bash
# Checks the Debian packages the way a distribution checks a package, then
# installs them for real, uses them as an ordinary user and removes them.
#   package_check.sh BUILD_DIR
# Installing changes the machine (CI's, which may be changed): it refuses to
# run where tarn is installed already, and removes what it installed even
# when a check fails.
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "package_check: $*" >&2; exit 1; }
# A user id and group no account has: the round trip runs as nobody known.
user_id=64123
export DEBIAN_FRONTEND=noninteractive

work=$(mktemp -d)
installed_by_us=()
cleanup() {
  if [ ${#installed_by_us[@]} -gt 0 ]; then
    apt-get purge -y -q "${installed_by_us[@]}" </dev/null >/dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

(cd "$build" && cpack -G DEB -B "$work/packages" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log" >&2; fail "cpack failed"; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || fail "no project version in $build/CMakeCache.txt"
debs=("$work"/packages/tarn_*.deb)
packages=(tarn)
if [ -e "$build/bin/dorn" ]; then
  debs+=("$work"/packages/tarn-desktop_*.deb)
  packages+=(tarn-desktop)
fi
for index in "${!debs[@]}"; do
  [ -f "${debs[$index]}" ] || fail "cpack made no package ${packages[$index]}"
  [ "$(dpkg-deb --field "${debs[$index]}" Package)" = "${packages[$index]}" ] ||
    fail "${debs[$index]} is not ${packages[$index]}"
  [ "$(dpkg-deb --field "${debs[$index]}" Version)" = "$version" ] ||
    fail "${packages[$index]} is not version $version"
done

# lintian, with warnings counted as failures as well as errors; its notes
# (informational tags) are listed.
if ! lintian_output=$(lintian --fail-on error,warning --display-info "${debs[@]}" 2>"$work/lintian.err"); then
  cat "$work/lintian.err" >&2
  echo "$lintian_output" >&2
  fail "lintian found errors or warnings"
fi
echo "package_check: lintian: no errors, no warnings${lintian_output:+; notes:}"
[ -z "$lintian_output" ] || sed 's/^/  /' <<<"$lintian_output"

# The unpacked files: the desktop entry and the AppStream data validate, and
# the layout holds with a round trip from there.
for deb in "${debs[@]}"; do dpkg -x "$deb" "$work/root"; done
if [ -e "$build/bin/dorn" ]; then
  desktop-file-validate "$work/root/usr/share/applications/dorn.desktop" ||
    fail "desktop-file-validate refused dorn.desktop"
  appstreamcli validate --no-net --pedantic "$work"/root/usr/share/metainfo/*.metainfo.xml >/dev/null ||
    fail "appstreamcli refused $(ls "$work"/root/usr/share/metainfo/)"
fi
"$here/installed_round_trip.sh" "$work/root/usr" >/dev/null

# Installed for real, as a user would.
for package in "${packages[@]}"; do
  if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q installed; then
    fail "$package is installed on this machine already; not touching it"
  fi
done
installed_by_us=("${packages[@]}")
(cd "$work/packages" && apt-get install -y -q --no-install-recommends \
  "${debs[@]/#"$work/packages/"/./}" </dev/null >"$work/apt.log" 2>&1) ||
  { cat "$work/apt.log" >&2; fail "apt-get install failed"; }

# Every library an installed program needs comes from a package it depends on.
"$here/needed_libraries_check.sh" "${packages[@]}"

# The one version everywhere.
[ "$(tarn --version)" = "tarn $version" ] || fail "tarn --version says $(tarn --version)"
for program in /usr/libexec/tarn/*; do
  name=$(basename "$program")
  [ "$("$program" --version)" = "$name $version" ] || fail "$name --version says $("$program" --version)"
done
grep -q "\"tarn $version\"" <<<"$(zcat /usr/share/man/man1/tarn.1.gz)" || fail "man page tarn(1) lacks version $version"

# A round trip as an ordinary user: no account, a numeric id.
home="$work/home"
mkdir -p "$home"
chown "$user_id:$user_id" "$home"
chmod 0755 "$work"
cp "$here/installed_round_trip.sh" "$work/round_trip.sh"
as_user() {
  setpriv --reuid="$user_id" --regid="$user_id" --clear-groups --inh-caps=-all \
    env -i PATH=/usr/bin:/bin HOME="$home" TARNUSER=ann "$@"
}
as_user bash "$work/round_trip.sh" --round-trip-only /usr >/dev/null ||
  fail "the round trip as user $user_id failed"
if [[ " ${packages[*]} " == *" tarn-desktop "* ]]; then
  # (Qt's notes about the missing session go to standard error.)
  dorn_version=$(as_user QT_QPA_PLATFORM=offscreen dorn --version 2>"$work/dorn.err") ||
    fail "dorn --version failed: $(cat "$work/dorn.err")"
  [ "$dorn_version" = "dorn $version" ] || fail "dorn --version says $dorn_version"
fi

# Removed, nothing is left behind.
files=$(dpkg -L "${packages[@]}")
apt-get purge -y -q "${packages[@]}" </dev/null >"$work/apt.log" 2>&1 ||
  { cat "$work/apt.log" >&2; fail "apt-get purge failed"; }
installed_by_us=()
while IFS= read -r path; do
  [ -d "$path" ] && continue
  [ ! -e "$path" ] && [ ! -L "$path" ] || fail "left behind after purge: $path"
done <<<"$files"
for directory in /usr/libexec/tarn /usr/share/tarn /usr/share/doc/tarn /usr/share/doc/tarn-desktop; do
  [ ! -e "$directory" ] || fail "left behind after purge: $directory"
done
echo "package_check: $(cd "$work/packages" && ls -- *.deb | tr '\n' ' ')passed"
