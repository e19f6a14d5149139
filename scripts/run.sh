#!/usr/bin/env bash
# Sets up, builds, and runs kelvaron-cli on the example assemblies, writing
# their parts reports into ./out-reports.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
./scripts/build.sh
mkdir -p out-reports
status=0
build/release/src/cli/kelvaron-cli --report-dir out-reports examples/*.asm* || status=$?
echo
echo "reports written to $(pwd)/out-reports:"
ls -1 out-reports
exit $status
