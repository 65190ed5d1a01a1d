#!/usr/bin/env bash
# Builds the desktop front end, starts it under Xvfb on a demonstration
# project and saves pictures of the main window with each tab and of every
# dialog: screenshots.sh [OUTPUT_DIRECTORY] (default build/screenshots).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
out=$(realpath -m "${1:-build/screenshots}")
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DTARN_WERROR=ON >/dev/null
cmake --build build -j "$(nproc)" --target dorn tput tget tlock tstamp tarn_catalogue
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
scripts/demo_project.sh "$root/build/bin" "$scratch/project"
mkdir -p "$out"
rm -f "$out"/*.png
# The configuration stays in the scratch directory: the team's users and a
# system project for the demonstration, and one project of ann's own.
config="$scratch/config/tarn"
mkdir -p "$config"
printf '[Projects]\ndemo=%s/\ntools=/opt/tools/\n[demo]\nTARNPATH=%s/tarn/\n[Users]\nann=\nbob=\ncy=\n' \
  "$scratch/project" "$scratch/project" >"$config/dorn.ini"
printf '[Projects]\nsketches=%s/sketches/\n' "$scratch" >"$config/ann.ini"
# The user is named, so no login.
(cd "$scratch/project" &&
  HOME="$scratch" XDG_CONFIG_HOME="$scratch/config" TARNUSER=ann TARNACCESS="ann,bob,cy" \
  TARNPATH="$scratch/project/tarn" QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1280x960x24" "$root/build/bin/dorn" \
    --screenshots "$out" main.c "$scratch/project")
echo "screenshots in $out:"
ls "$out"
