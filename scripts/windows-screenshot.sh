#!/usr/bin/env bash
# Starts the window from the Windows package under Wine on a virtual X display,
# opening the example product given on its command line, and saves what the
# display shows as a PNG. The package is unzipped alone into a fresh Wine prefix
# (so a DLL or plugin missing from the zip shows), and the product is copied to
# C:\CAD\starspeaker inside it, so no path of this machine appears in the picture.
#   scripts/windows-screenshot.sh ZIP OUT.png [SECONDS]
# SECONDS (default 25): how long the window gets before the picture is taken.
set -euo pipefail
zip=$(realpath "$1")
out=$(realpath -m "$2")
wait_seconds=${3:-25}
root=$(cd "$(dirname "$0")/.." && pwd)

work=$(mktemp -d "${TMPDIR:-/tmp}/kelvaron-shot.XXXXXX")
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset WINEPATH QT_PLUGIN_PATH QT_QPA_PLATFORM QT_QPA_FONTDIR
xvfb=
cleanup() {
  wineserver -k 2>/dev/null || true
  [[ -n $xvfb ]] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

unzip -q "$zip" -d "$work"
folder=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'kelvaron-*')
# The display first: wineboot then sets the prefix up for it.
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x860x24 -fbdir "$work" -nolisten tcp &
xvfb=$!
export DISPLAY=$display
for _ in $(seq 50); do [[ -e $work/Xvfb_screen0 ]] && break; sleep 0.1; done
# The persistent server first: one that wineboot started would refuse -p.
mkdir -p "$WINEPREFIX"
wineserver -p
wineboot -i >/dev/null 2>&1 || true
mkdir -p "$WINEPREFIX/drive_c/CAD"
cp -r "$root/examples/starspeaker" "$WINEPREFIX/drive_c/CAD/"
# Wine's virtual desktop draws the title bar and frame a Windows user sees.
wine explorer /desktop=Kelvaron,1280x860 "$folder/kelvaron.exe" 'C:\CAD\starspeaker\starspeaker.asm.2' \
  >/dev/null 2>&1 &
sleep "$wait_seconds"

# Xvfb keeps its screen as an XWD image; PNG from it with Python's own zlib.
python3 - "$work/Xvfb_screen0" "$out" <<'PY'
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
fields = struct.unpack(">25I", data[:100])
header_size, width, height = fields[0], fields[4], fields[5]
byte_order, bits_per_pixel, bytes_per_line, ncolors = fields[7], fields[11], fields[12], fields[19]
if bits_per_pixel != 32:
    sys.exit(f"screenshot: {bits_per_pixel} bits per pixel, expected 32")
pixels = header_size + ncolors * 12
rows = []
for y in range(height):
    line = data[pixels + y * bytes_per_line: pixels + y * bytes_per_line + width * 4]
    rgb = bytearray(width * 3)
    # Least significant byte first: blue, green, red, unused.
    b, g, r = (0, 1, 2) if byte_order == 0 else (3, 2, 1)
    rgb[0::3], rgb[1::3], rgb[2::3] = line[r::4], line[g::4], line[b::4]
    rows.append(b"\0" + bytes(rgb))
def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
png += chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b"")
open(sys.argv[2], "wb").write(png)
print(f"screenshot: {width}x{height} in {sys.argv[2]}")
PY
