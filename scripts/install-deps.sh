#!/usr/bin/env bash
# Installs what building and testing TARN needs on a Debian machine.
set -euo pipefail

# Installs the packages named that are not installed yet.
install_missing() {
  local missing=()
  for package in "$@"; do
    dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  echo "installing: ${missing[*]}"
  local sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo_cmd apt-get update -q </dev/null
  $sudo_cmd apt-get install -y -q "${missing[@]}" </dev/null
}

install_missing cmake g++ make ninja-build libgtest-dev libbenchmark-dev clang rcs libsodium-dev pkg-config ccache
# The checks of the Debian packages: what a distribution runs on them, and
# what computes their dependencies.
install_missing lintian desktop-file-utils appstream dpkg-dev binutils
# The classic tools the importer and the exporter are tested against.
install_missing cvs git
# The desktop front end, and its screenshots under a virtual X server.
install_missing qt6-base-dev qt6-qpa-plugins libgl-dev fonts-dejavu-core xvfb xauth

# The sanitizer and fuzzer runtime must be the one of the clang installed,
# whichever version the distribution ships.
# (Whole outputs into variables: a reader that stops early would end the
# writer with SIGPIPE, which pipefail turns into a failure.)
clang_version=$(clang --version)
clang_major=$(sed -n 's/.*clang version \([0-9]*\).*/\1/p' <<<"$clang_version")
clang_major=${clang_major%%$'\n'*}
if [ -z "$clang_major" ]; then
  echo "install-deps: cannot tell the version of clang" >&2
  exit 1
fi
install_missing "libclang-rt-${clang_major}-dev"
