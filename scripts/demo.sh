#!/usr/bin/env bash
# Installs what is missing, builds TARN and runs the demonstration in a
# scratch directory.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
build/bin/tarn_demo
