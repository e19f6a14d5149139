#!/usr/bin/env bash
# Cross-builds what Kelvaron's Windows build links against, from Debian 12's own
# sources: Qt (the modules and plugins Kelvaron uses), expat, libxlsxwriter and
# GoogleTest. Everything goes into a cache outside the checkout, in a folder named
# by a hash of the recipe below and the toolchain file, so a changed recipe builds
# anew and an unchanged one is reused; a build cut short goes on where it stopped.
# Prints that folder on its last line.
#
#   scripts/windows-deps.sh            build what is missing, print the prefix
#   scripts/windows-deps.sh --prefix   only print the prefix it would use
#
# KELVARON_WINDOWS_CACHE overrides the cache root (default /var/cache/kelvaron-windows),
# KELVARON_WINDOWS_JOBS the parallel jobs (default 2), KELVARON_WINDOWS_NICE the
# niceness of the compilers (default 10).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
toolchain=$here/cmake/mingw-w64.cmake
cache=${KELVARON_WINDOWS_CACHE:-/var/cache/kelvaron-windows}
jobs=${KELVARON_WINDOWS_JOBS:-2}
niceness=${KELVARON_WINDOWS_NICE:-10}

# The recipe. Change `revision` when a step below changes what it makes.
revision=1
qt_version=6.4.2+dfsg-10
expat_version=2.5.0-1+deb12u2
xlsxwriter_version=1.1.4-2
# Host tools (moc, rcc, uic) come from Debian's Qt of the same version. Modules,
# plugins and widgets Kelvaron does not use are left out, and so is FreeType with
# the offscreen platform that needs it: on Windows Qt draws text through GDI and
# DirectWrite, and the tests under Wine use the windows platform.
qt_options=(
  -DQT_HOST_PATH=/usr -DQt6HostInfo_DIR=/usr/lib/x86_64-linux-gnu/cmake/Qt6HostInfo
  -DQT_QMAKE_TARGET_MKSPEC=win32-g++ -DBUILD_SHARED_LIBS=ON
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF
  -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_direct2d=OFF -DFEATURE_vulkan=OFF
  -DFEATURE_gif=OFF -DFEATURE_ico=OFF -DFEATURE_jpeg=ON -DFEATURE_png=ON
  -DFEATURE_tabletevent=OFF -DFEATURE_opengl=ON -DINPUT_opengl=desktop
  -DFEATURE_freetype=OFF -DFEATURE_fontconfig=OFF -DFEATURE_icu=OFF -DFEATURE_glib=OFF
  -DFEATURE_zstd=OFF -DFEATURE_openssl=OFF
  -DFEATURE_pdf=OFF -DFEATURE_textodfwriter=OFF -DFEATURE_textmarkdownreader=OFF
  -DFEATURE_textmarkdownwriter=OFF -DFEATURE_movie=OFF
  -DFEATURE_undocommand=OFF -DFEATURE_undostack=OFF -DFEATURE_undogroup=OFF -DFEATURE_undoview=OFF
  -DFEATURE_graphicsview=OFF -DFEATURE_mdiarea=OFF -DFEATURE_calendarwidget=OFF
  -DFEATURE_datetimeedit=OFF -DFEATURE_dial=OFF -DFEATURE_lcdnumber=OFF -DFEATURE_fontcombobox=OFF
  -DFEATURE_fontdialog=OFF -DFEATURE_colordialog=OFF -DFEATURE_wizard=OFF
  -DFEATURE_keysequenceedit=OFF -DFEATURE_splashscreen=OFF -DFEATURE_toolbox=OFF
  -DFEATURE_commandlinkbutton=OFF -DFEATURE_syntaxhighlighter=OFF
  -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF
  -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF
  -DFEATURE_system_doubleconversion=OFF
)
expat_options=(-DEXPAT_SHARED_LIBS=ON -DEXPAT_BUILD_TOOLS=OFF -DEXPAT_BUILD_EXAMPLES=OFF
               -DEXPAT_BUILD_TESTS=OFF -DEXPAT_BUILD_DOCS=OFF)
xlsxwriter_options=(-DBUILD_SHARED_LIBS=ON -DUSE_SYSTEM_MINIZIP=OFF -DBUILD_TESTS=OFF -DBUILD_EXAMPLES=OFF)
gtest_options=(-DBUILD_GMOCK=ON -DINSTALL_GTEST=ON)

key=$({ declare -p revision qt_version expat_version xlsxwriter_version qt_options expat_options \
          xlsxwriter_options gtest_options; cat "$toolchain"; } | sha256sum | cut -c1-16)
prefix=$cache/$key
if [[ ${1:-} == --prefix ]]; then echo "$prefix"; exit 0; fi

# Built once per recipe, so a compiler cache would only store what is not asked for again.
unset CMAKE_CXX_COMPILER_LAUNCHER CMAKE_C_COMPILER_LAUNCHER

mkdir -p "$cache/src" "$prefix"
work=$prefix/build
logs=$prefix/logs
mkdir -p "$work" "$logs"

fetch() { # package version: downloads the Debian source package once, unpacks it with its patches
  local pkg=$1 version=$2 dir=$work/$1
  [[ -d $dir ]] && return 0
  if ! ls "$cache/src/${pkg}_${version}.dsc" >/dev/null 2>&1; then
    (cd "$cache/src" && apt-get source -q --download-only "$pkg=$version")
  fi
  dpkg-source -q -x "$cache/src/${pkg}_${version}.dsc" "$dir.tmp" >/dev/null
  mv "$dir.tmp" "$dir"
}

cross() { # source build-dir install-dir cmake-args...: configure, build and install one CMake project
  local src=$1 build=$2 dest=$3; shift 3
  cmake -G Ninja -S "$src" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DKELVARON_WINDOWS_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$dest" "$@" || return 1
  # Steps run inside `if`, where `set -e` does not hold: every failure is returned.
  nice -n "$niceness" cmake --build "$build" -j "$jobs" || return 1
  cmake --install "$build" || return 1
}

step() { # name function: runs a step once, its output in a log
  local name=$1 fn=$2
  [[ -e $prefix/$name.done ]] && return 0
  echo "windows-deps: building $name (log: $logs/$name.log)" >&2
  local start=$SECONDS
  if ! "$fn" >"$logs/$name.log" 2>&1; then
    echo "windows-deps: $name failed; the end of its log:" >&2
    tail -n 40 "$logs/$name.log" >&2
    exit 1
  fi
  echo "windows-deps: $name built in $((SECONDS - start)) s" >&2
  touch "$prefix/$name.done"
}

build_expat() {
  fetch expat "$expat_version"
  # Debian's security fixes test "XML_DTD == 1", as its autotools build defines
  # it; the CMake build defines it empty.
  sed -i 's/^#cmakedefine XML_DTD$/#cmakedefine XML_DTD 1/' "$work/expat/expat/expat_config.h.cmake"
  cross "$work/expat/expat" "$work/expat-build" "$prefix" "${expat_options[@]}"
}

build_xlsxwriter() {
  fetch libxlsxwriter "$xlsxwriter_version"
  # The bundled minizip, mingw's zlib.
  cross "$work/libxlsxwriter" "$work/xlsxwriter-build" "$prefix" "${xlsxwriter_options[@]}"
}

build_gtest() {
  cross /usr/src/googletest "$work/gtest-build" "$prefix" "${gtest_options[@]}"
}

build_cli11() {
  # Header only: the headers and the package file, so find_package works inside the cross root.
  mkdir -p "$prefix/include" "$prefix/share/cmake"
  cp -r /usr/include/CLI "$prefix/include/"
  cp -r /usr/share/cmake/CLI11 "$prefix/share/cmake/"
  sed -i "s|/usr/include|$prefix/include|g" "$prefix"/share/cmake/CLI11/*.cmake
}

build_qt() {
  fetch qt6-base "$qt_version"
  # QtGui builds the DirectWrite font database only with Direct2D, which is left
  # out; the platform plugin would still ask for it and fail to link. Without it
  # the plugin takes the GDI font database, as it does on older Windows.
  sed -i 's/^#if QT_CONFIG(directwrite3)$/#if QT_CONFIG(directwrite3) \&\& QT_CONFIG(direct2d)/' \
    "$work/qt6-base/src/plugins/platforms/windows/qwindowsintegration.cpp"
  cross "$work/qt6-base" "$work/qt-build" "$prefix/qt" "${qt_options[@]}"
}

build_licenses() {
  # The license texts of everything the package ships, beside the libraries.
  fetch qt6-base "$qt_version"
  fetch expat "$expat_version"
  fetch libxlsxwriter "$xlsxwriter_version"
  local out=$prefix/licenses
  rm -rf "$out" && mkdir -p "$out/qt" "$out/qt-3rdparty"
  cp "$work"/qt6-base/LICENSES/* "$out/qt/"
  local dir
  for dir in "$work"/qt6-base/src/3rdparty/*/; do
    local files=()
    mapfile -t files < <(find "$dir" -maxdepth 1 -type f \( -iname 'LICEN[SC]E*' -o -iname 'COPYING*' -o -iname '*-LICENSE.txt' \
                         -o -name qt_attribution.json \))
    if ((${#files[@]})); then
      mkdir -p "$out/qt-3rdparty/$(basename "$dir")"
      cp "${files[@]}" "$out/qt-3rdparty/$(basename "$dir")/"
    fi
  done
  cp "$work/expat/COPYING" "$out/expat-COPYING.txt"
  cp "$work/libxlsxwriter/License.txt" "$out/libxlsxwriter-License.txt"
  cp /usr/share/doc/gcc-mingw-w64-base/copyright "$out/gcc-runtime-copyright.txt"
  cp /usr/share/doc/mingw-w64-common/copyright "$out/mingw-w64-copyright.txt"
  cp /usr/share/doc/libz-mingw-w64/copyright "$out/zlib-copyright.txt"
}

step qt build_qt
step expat build_expat
step xlsxwriter build_xlsxwriter
step gtest build_gtest
step cli11 build_cli11
step licenses build_licenses
rm -rf "$work"
echo "$prefix"
