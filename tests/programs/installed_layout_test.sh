#!/usr/bin/env bash
# Installs the build into a scratch prefix (never the system) and checks the
# installed layout and a round trip from there.
#   installed_layout_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$1" --prefix "$prefix" >/dev/null
"$2/scripts/installed_round_trip.sh" "$prefix"
