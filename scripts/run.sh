#!/usr/bin/env bash
# Sets up, builds, and starts the window on the example product. On a
# machine without a display it runs kelvaron-cli on the examples instead,
# writing their parts reports into ./out-reports.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
./scripts/build.sh
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/release/src/app/kelvaron "$(pwd)/examples/starspeaker/starspeaker.asm.2"
fi
echo "no display here: running kelvaron-cli on examples/ instead of the window"
mkdir -p out-reports
status=0
build/release/src/cli/kelvaron-cli --report-dir out-reports examples/*.asm* || status=$?
echo
echo "reports written to $(pwd)/out-reports:"
ls -1 out-reports
exit $status
