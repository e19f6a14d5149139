#!/bin/sh
# Renders the main window's states to docs/screenshots/*.png at scale 1 and 2.
# Usage: scripts/screenshots.sh [BUILD_DIR]   (default build/release)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/release}
cmake --build "$build" --target kelvaron_screenshots
tool=$build/tools/screenshots/kelvaron_screenshots
out=$root/docs/screenshots
# A Creo assembly with a non-ASCII component name, when the shared samples are there.
creo=$root/../shared/proe-samples/asm0001_pince.asm.21
[ -f "$creo" ] && export KELVARON_CREO_SAMPLE="$creo"
QT_QPA_PLATFORM=offscreen "$tool" "$out" "$root/examples"
QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=2 "$tool" "$out" "$root/examples" @2x
