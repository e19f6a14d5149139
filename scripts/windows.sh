#!/usr/bin/env bash
# Kelvaron for 64-bit Windows, built and tested on Debian 12: installs what it
# needs, cross-builds Qt and the libraries once (scripts/windows-deps.sh keeps
# them in a cache outside the checkout), cross-compiles Kelvaron (preset
# "windows"), runs its tests under Wine without a display, and writes
# dist/kelvaron-VERSION-windows-x64.zip. The CLI from the zip is then checked in
# a fresh Wine prefix that has nothing but the zip's folder: the corpus, and
# bom/check JSON against the Linux build's.
#   scripts/windows.sh             all of it
#   KELVARON_WINDOWS_CHECKS=0      without the checks of the zip
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
start=$SECONDS
stage() { echo "== windows: $* ($((SECONDS - start)) s)"; }

stage "packages"
./scripts/setup.sh

stage "Qt and libraries for Windows"
KELVARON_WINDOWS_PREFIX=$(./scripts/windows-deps.sh | tail -n 1)
export KELVARON_WINDOWS_PREFIX
echo "windows: cross-built Qt and libraries in $KELVARON_WINDOWS_PREFIX"

stage "cross build"
if command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
fi
cmake --preset windows >/dev/null
cmake --build --preset windows

# One Wine prefix for the tests, one wineserver kept running for all of them:
# a program then starts in about a second instead of three.
export WINEPREFIX=$root/build/windows/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
servers=()
display_pid=
linux_build=
stop_servers() {
  for p in "${servers[@]}"; do WINEPREFIX=$p wineserver -k 2>/dev/null || true; done
  [[ -z $display_pid ]] || kill "$display_pid" 2>/dev/null || true
  [[ -z $linux_build ]] || kill -- -"$linux_build" 2>/dev/null || true
}
trap stop_servers EXIT
start_server() {
  # The persistent server first: one that wineboot started would refuse -p,
  # and so would one left running from an earlier run, which goes first.
  mkdir -p "$1"
  WINEPREFIX=$1 wineserver -k 2>/dev/null || true
  WINEPREFIX=$1 wineserver -w 2>/dev/null || true
  WINEPREFIX=$1 wineserver -p
  WINEPREFIX=$1 wineboot -i >/dev/null 2>&1 || true
  servers+=("$1")
}

stage "tests under Wine"
# The window tests draw with Qt's own Windows platform on a virtual X display,
# large enough for the window at a desktop scale of 2 (QT_SCALE_FACTOR). The
# display comes first and stays for the whole stage: Wine's desktop process
# keeps the display it started on.
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 2560x2048x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
display_pid=$!
for _ in $(seq 100); do [[ -s $display_file ]] && break; sleep 0.1; done
[[ -s $display_file ]] || { echo "windows: the virtual X display did not start" >&2; exit 1; }
export DISPLAY=:$(head -n 1 "$display_file")
rm -f "$display_file"
start_server "$WINEPREFIX"
if [[ ${KELVARON_WINDOWS_CHECKS:-1} == 1 ]]; then
  # The Linux build that the zip's checks compare against builds meanwhile, at a
  # lower priority, on the core the tests leave idle (in a process group of its
  # own, so that a failed stage stops it).
  linux_log=$root/build/windows/linux-build.log
  setsid nice -n 10 ./scripts/build.sh >"$linux_log" 2>&1 </dev/null &
  linux_build=$!
fi
# One program at a time, and one that fails is run up to twice more: in a new
# Wine prefix two window tests at once have starved each other.
ctest --preset windows -j 1 --repeat until-pass:3

stage "package"
version=$(sed -n 's/^project(Kelvaron VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=kelvaron-$version-windows-x64
package=$root/build/windows/package/$name
./scripts/windows-package.sh build/windows "$KELVARON_WINDOWS_PREFIX" "$package"
mkdir -p dist
rm -f "dist/$name.zip"
(cd "$(dirname "$package")" && zip -q -r -9 "$root/dist/$name.zip" "$name")
echo "windows: dist/$name.zip, $(du -k "dist/$name.zip" | cut -f1) KiB"

if [[ ${KELVARON_WINDOWS_CHECKS:-1} == 1 ]]; then
  stage "the zip's CLI in a fresh Wine prefix"
  if ! wait "$linux_build"; then
    echo "windows: the Linux build failed; the end of $linux_log:" >&2
    tail -n 40 "$linux_log" >&2
    exit 1
  fi
  linux_build=
  ./scripts/windows-check.sh "dist/$name.zip"
fi
stage "done"
