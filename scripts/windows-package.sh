#!/usr/bin/env bash
# Lays out the Windows package: the two programs, every DLL they load (found by
# following the import tables from the programs and plugins), the Qt plugins
# they need, the README and the license texts.
#   scripts/windows-package.sh BUILD-DIR PREFIX OUT-DIR
# BUILD-DIR: the cross build (build/windows); PREFIX: scripts/windows-deps.sh's
# folder; OUT-DIR: made anew.
set -euo pipefail
build=$1 prefix=$2 out=$3
here=$(cd "$(dirname "$0")/.." && pwd)
objdump=x86_64-w64-mingw32-objdump
strip=x86_64-w64-mingw32-strip
runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
search=("$prefix/qt/bin" "$prefix/bin" "$runtime" /usr/x86_64-w64-mingw32/lib)

rm -rf "$out"
mkdir -p "$out"/{platforms,imageformats,styles,licenses}
install -m 0755 "$build/src/app/kelvaron.exe" "$build/src/cli/kelvaron-cli.exe" "$out/"
plugins=$prefix/qt/plugins
cp "$plugins/platforms/qwindows.dll" "$out/platforms/"
cp "$plugins/imageformats/qjpeg.dll" "$out/imageformats/"
cp "$plugins/styles/qwindowsvistastyle.dll" "$out/styles/"

# The DLLs each binary imports, until nothing new comes; those found nowhere
# here are the system's own (KERNEL32.dll ...).
queue=("$out"/*.exe "$out"/*/*.dll)
declare -A seen=()
while ((${#queue[@]})); do
  binary=${queue[0]}
  queue=("${queue[@]:1}")
  while read -r dll; do
    key=${dll,,}
    [[ -n ${seen[$key]:-} ]] && continue
    seen[$key]=1
    for dir in "${search[@]}"; do
      if [[ -f $dir/$dll ]]; then
        cp "$dir/$dll" "$out/"
        queue+=("$out/$dll")
        break
      fi
    done
  done < <("$objdump" -p "$binary" | sed -n 's/^\s*DLL Name: //p')
done
find "$out" \( -name "*.exe" -o -name "*.dll" \) -exec "$strip" --strip-unneeded {} +

sed 's/$/\r/' "$here/dist/windows/README.txt" > "$out/README.txt"  # CR LF, for Notepad
cp -r "$prefix/licenses/." "$out/licenses/"
echo "windows-package: $(find "$out" -type f | wc -l) files, $(du -sk "$out" | cut -f1) KiB in $out"
