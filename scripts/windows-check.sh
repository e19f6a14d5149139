#!/usr/bin/env bash
# Checks the Windows package as a user gets it: unzipped alone into a fresh
# Wine prefix (so a DLL missing from the zip shows), its kelvaron-cli must give
# every corpus assembly's components, and the same bom and check JSON as the
# Linux build, path separators aside.
#   scripts/windows-check.sh dist/kelvaron-VERSION-windows-x64.zip
set -euo pipefail
zip=$(realpath "$1")
cd "$(dirname "$0")/.."
root=$PWD
corpus=$(realpath ../shared/proe-corpus 2>/dev/null || true)
if [[ ! -f $corpus/expected.json ]]; then
  echo "windows-check: no corpus beside the checkout; nothing to check"
  exit 0
fi
./scripts/build.sh >/dev/null
linux_cli=$root/build/release/src/cli/kelvaron-cli

work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
unzip -q "$zip" -d "$work"
folder=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'kelvaron-*')
# The persistent server first: one that wineboot started would refuse -p.
mkdir -p "$WINEPREFIX"
wineserver -p
wineboot -i >/dev/null 2>&1 || true
# Nothing on the DLL path but the zip's folder: Wine's own system DLLs aside.
unset WINEPATH QT_PLUGIN_PATH
printf '#!/bin/sh\nexec wine %q "$@"\n' "$folder/kelvaron-cli.exe" > "$work/kelvaron-cli"
chmod +x "$work/kelvaron-cli"

echo "windows-check: corpus"
../shared/tools/corpus-check "$work/kelvaron-cli"

echo "windows-check: bom and check JSON against Linux"
# The Windows CLI shows the paths it was given with "\" (in JSON "\\"), on the
# drive Wine gives this system's root, "Z:".
same=0 differ=0
compare() { # label, arguments...
  local label=$1; shift
  local linux windows
  linux=$("$linux_cli" "$@" 2>/dev/null || true)
  windows=$("$work/kelvaron-cli" "$@" 2>/dev/null | sed 's|\\\\|/|g; s|Z:/|/|g' || true)
  if [[ $linux == "$windows" && -n $linux ]]; then
    same=$((same + 1))
  else
    differ=$((differ + 1))
    echo "differs: $label"
    diff <(echo "$linux") <(echo "$windows") | head -n 6 || true
  fi
}
mapfile -t assemblies < <(python3 -c 'import json,sys; print("\n".join(sorted(json.load(open(sys.argv[1]))["assemblies"])))' "$corpus/expected.json")
for rel in "${assemblies[@]}"; do compare "bom $rel" bom --format json "$corpus/$rel"; done
for dir in "$corpus"/*/; do compare "check $(basename "$dir")" check --format json "$dir"; done
echo "windows-check: $same of $((same + differ)) bom/check outputs equal to Linux's"
((differ == 0))
