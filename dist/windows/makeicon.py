#!/usr/bin/env python3
"""makeicon.py OUT.ico IN.png...: a Windows icon holding the given PNG pictures
(square, at most 256 pixels) as they are; Windows Vista and later read PNG
entries."""
import struct, sys

out, pictures = sys.argv[1], sys.argv[2:]
entries, blobs = [], []
offset = 6 + 16 * len(pictures)
for path in pictures:
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit(f"makeicon: {path} is not a PNG file")
    width, height = struct.unpack(">II", data[16:24])
    if width != height or width > 256:
        sys.exit(f"makeicon: {path} is {width}x{height}, not square up to 256")
    side = 0 if width == 256 else width  # 0 stands for 256
    entries.append(struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(data), offset))
    blobs.append(data)
    offset += len(data)
with open(out, "wb") as f:
    f.write(struct.pack("<HHH", 0, 1, len(pictures)))
    f.writelines(entries)
    f.writelines(blobs)
