#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing Kelvaron need,
# only those that are missing, and the apt lines for Debian's source packages
# that the Windows build unpacks. Runs apt-get as root, or through sudo.
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
# The Windows build takes Qt, expat and libxlsxwriter as Debian source packages.
sources_missing=0
grep -rqs '^Types:.*deb-src\|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/ || sources_missing=1
((${#missing[@]} == 0 && sources_missing == 0)) && exit 0

if [[ $(id -u) -eq 0 ]]; then
  as_root=()
elif command -v sudo >/dev/null; then
  as_root=(sudo)
else
  echo "setup: missing packages (${missing[*]}) or source lines; run as root or install sudo" >&2
  exit 1
fi
if ((sources_missing)); then
  echo "setup: adding Debian's source package lines (/etc/apt/sources.list.d/kelvaron-sources.sources)"
  "${as_root[@]}" tee /etc/apt/sources.list.d/kelvaron-sources.sources >/dev/null <<'SOURCES'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
fi
"${as_root[@]}" apt-get update -q
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
