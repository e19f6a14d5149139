#!/usr/bin/env bash
# Configures and builds the release preset (build/release), with ccache when present.
set -euo pipefail
cd "$(dirname "$0")/.."
if command -v ccache >/dev/null; then export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}; fi
cmake --preset release
cmake --build --preset release
