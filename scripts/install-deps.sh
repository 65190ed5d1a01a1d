#!/usr/bin/env bash
# Installs what building and testing TARN needs on a Debian machine.
set -euo pipefail
packages=(cmake g++ make ninja-build libgtest-dev libbenchmark-dev clang libclang-rt-14-dev rcs)
missing=()
for package in "${packages[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo_cmd apt-get update -q </dev/null
  $sudo_cmd apt-get install -y -q "${missing[@]}" </dev/null
fi
