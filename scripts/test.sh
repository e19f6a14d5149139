#!/usr/bin/env bash
# Sets up, builds the release preset and runs every test with CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
./scripts/build.sh
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
ctest --preset release
