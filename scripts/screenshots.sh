#!/bin/sh
# Renders the main window's states to docs/screenshots/*.png at scale 1 and 2,
# and under a dark theme at scale 1. The pictures show a demo tree in
# /home/user, made on a private in-memory /home (a user and mount namespace),
# so no path of this machine appears in them.
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
render() {
  QT_QPA_PLATFORM=offscreen unshare --user --map-root-user --mount \
    sh -c 'mount -t tmpfs tmpfs /home && exec "$@"' render "$tool" "$out" "$root/examples" "$@"
}
render
QT_SCALE_FACTOR=2 render @2x
render --dark
