#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing Kelvaron need,
# only those that are missing. Runs apt-get as root, or through sudo.
set -euo pipefail

packages=(
  cmake ninja-build g++ ccache pkg-config        # build
  qt6-base-dev qt6-base-dev-tools libgl-dev       # Qt 6 Core/Gui/Widgets/Test
  libgtest-dev libgmock-dev googletest            # tests
  libcli11-dev libxlsxwriter-dev libexpat1-dev    # CLI subcommands, Excel output, XML model sections
  python3-openpyxl                                # reading Excel files back in tests
  clang libclang-rt-14-dev                        # fuzzing (libFuzzer) and sanitizers
  xvfb xauth fonts-dejavu-core                    # window tests and screenshots
  ripgrep time python3                            # benchmark
  g++-mingw-w64-x86-64-posix mingw-w64-tools       # Windows: cross build (scripts/windows.sh),
  libz-mingw-w64-dev dpkg-dev wine wine64 zip unzip #   Debian's sources of Qt and libraries, tests under Wine, the zip
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
((${#missing[@]} == 0)) && exit 0

if [[ $(id -u) -eq 0 ]]; then
  as_root=()
elif command -v sudo >/dev/null; then
  as_root=(sudo)
else
  echo "setup: missing packages (${missing[*]}); run as root or install sudo" >&2
  exit 1
fi
echo "setup: installing ${missing[*]}"
"${as_root[@]}" apt-get update -q
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
