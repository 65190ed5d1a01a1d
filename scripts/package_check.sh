#!/usr/bin/env bash
# Builds the Debian package from a build directory, unpacks it into a
# scratch root (never the system) and runs the installed tarn from there.
#   package_check.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
(cd "$build" && cpack -G DEB -B "$root/package" >/dev/null)
deb=$(ls "$root"/package/tarn_*.deb)
# (Not "| grep -q": grep leaving early would end dpkg-deb with SIGPIPE.)
[ "$(dpkg-deb --field "$deb" Package)" = tarn ] || { echo "package_check: $deb is not tarn" >&2; exit 1; }
dpkg -x "$deb" "$root/unpacked"
"$here/installed_round_trip.sh" "$root/unpacked/usr"
echo "package_check: $(basename "$deb") passed"
