#!/usr/bin/env bash
# Configures and builds one variant: build.sh DIR [cmake options...]
set -euo pipefail
dir=$1
shift
root=$(cd "$(dirname "$0")/.." && pwd)
# The compiler cache, where there is one: a second checkout of the sources
# (CI's fresh clone, a work tree beside this one) compiles what did not change
# from the cache, as paths below the checkout are taken relative to it.
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$root"
  # Debug information then names paths relative to the build directory.
  export CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
# Working builds leave out the hardening flags (the release build that makes
# the packages has them), so that every work tree shares one compiler cache.
cmake -S "$root" -B "$dir" -G Ninja -DTARN_WERROR=ON -DTARN_HARDENING=OFF "${launcher[@]}" "$@" >/dev/null
cmake --build "$dir" -j "$(nproc)"
