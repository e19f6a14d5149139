#!/usr/bin/env python3
"""Writes the hostile inputs bench/edges.sh runs the commands on, into DIR:

psb-strings.asm   a Creo file of about 20 KB whose model section decodes to a
                  string table of 50 million empty strings
depdb-slots.asm   a Creo file of about 12 KB whose DEPDB_DATA decodes to 30
                  million NULL model slots (its model section is unreadable,
                  so the reader turns to DEPDB_DATA)
longname/         an assembly of 1,000 parts, one of them named with 1 MB
diamond/          30 levels of two assemblies each placing both of the next
                  level, the last placing the first: a diamond closed by a
                  cycle, 2^30 paths up from BOLT
tree/             ten levels of three distinct sub-assemblies each: a tree of
                  88,572 rows below the top (top.asm)

    crafted.py DIR
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from bomgen import assembly  # noqa: E402


def int_code(v):
    if v < 0x80:
        return bytes([v])
    if v < 0x4000:
        return bytes([0x80 | (v >> 8), v & 0xFF])
    return b"\xEB" + v.to_bytes(4, "big")


def declare(kind, name):
    return b"\xE0" + bytes([kind]) + name + b"\x00"


def lzw_run(head, byte, count, tail):
    """An LZW stream (compress's format, 16 bits, no block mode) that decodes
    to head + `count` copies of `byte` + tail: the run is written as codes
    that each name the entry they create, one byte longer every time."""
    codes = list(head)
    codes.append(byte)
    free = 256 + len(codes) - 1  # the first code adds no entry
    run, length, first = 1, 1, free
    while run + length + 1 <= count:
        length += 1
        codes.append(first + length - 2)
        run += length
    rest = count - run
    if rest == 1:
        codes.append(byte)
    elif rest > 1:
        codes.append(first + rest - 2)
    codes.extend(tail)
    return pack(codes)


def pack(codes, max_bits=16):
    out = bytearray(b"\x1f\x9d" + bytes([max_bits]))
    bits, group, width, free = [], 0, 9, 256
    for n, code in enumerate(codes):
        if free > ((1 << max_bits) if width == max_bits else (1 << width) - 1):
            while (len(bits) - group) % (width * 8):
                bits.append(0)
            group = len(bits)
            width += 1
        bits.extend((code >> i) & 1 for i in range(width))
        if n > 0 and free < (1 << max_bits):
            free += 1
    data = bytearray((len(bits) + 7) // 8)
    for i, b in enumerate(bits):
        if b:
            data[i // 8] |= 1 << (i % 8)
    return bytes(out + data)


def creo_file(sections):
    """sections: (name, payload, decoded length)."""
    def padded(line, fill, width):
        return line.ljust(width, fill) + "\n"
    header = "#UGC:2 ASSEMBLY 1836 1160 800 1 1 15 3400 2015480 XXXXXXXX \\\n"
    cmnm = padded("#- CMNM 007top.asm", " ", 70)
    header += cmnm[:70] + "\\" + cmnm[70:]
    header += "#-END_OF_UGC_HEADER\n"
    header = header.replace("XXXXXXXX", "%08x" % len(header))
    banner = "#Creo  TM  3.0  (c) 2016 by PTC Inc.  All Rights Reserved. M080\r\n"
    at = len(banner) + 81 * (len(sections) + 1)
    toc = padded("#UGC_TOC 2 %d 81 17" % len(sections), "#", 80)
    body = b""
    for name, payload, decoded in sections:
        block = b"#" + name.encode() + b"\n" + payload
        toc += padded("%s %x %x %x 1836 a 1 0 0" % (name, at, len(block), decoded), "#", 80)
        body += block
        at += len(block)
    return (header + banner + toc).encode() + body + b"#END_OF_UGC\n"


def psb_strings(path, count=50_000_000):
    head = (b"\xE0\x00PSB_Tokens\x00\xE2\xE0\x01format\x00\x00"
            b"\xE0\x04type_har\x00\xF8" + int_code(0) +
            b"\xE0\x01int_har\x00\xF8" + int_code(0) +
            b"\xE0\x02double_xar\x00\xF8\x01\x0F"
            b"\xE0\x03string_xar\x00\xF8" + int_code(count))
    section = lzw_run(head, 0, count, b"\xF1")
    with open(path, "wb") as f:
        f.write(creo_file([("ND:0:Model_L05_PX:1", section, len(head) + count + 1)]))


def depdb_slots(path, count=30_000_000):
    head = (declare(0, b"p_dep_db") + b"\xE3" + declare(0, b"dep_db") + b"\xF8" + int_code(1) +
            b"\xF7\x02\xFB\xE3" + declare(1, b"to_model_id") + int_code(0) + declare(1, b"dep_type") +
            int_code(2) + declare(1, b"obj_id") + int_code(40) + declare(1, b"obj_type") + int_code(3) +
            declare(0, b"model_db") + b"\xF2\xF8" + int_code(count + 1) +
            b"\xF7\x07\xFB\xE3" + declare(1, b"model_t_type") + int_code(2) + declare(10, b"model_name") +
            b"A\x00" + declare(10, b"generic_name") + b"\x00" + declare(0, b"stamp") + b"\xE2")
    section = lzw_run(head, 0xE1, count, b"\xF4\x04")
    with open(path, "wb") as f:
        f.write(creo_file([("ND:0:Model_L05_PX:1", b"not a model section", 19),
                           ("DEPDB_DATA", section, len(head) + count + 2)]))


def write(path, components):
    with open(path, "wb") as f:
        f.write(assembly(components))


def main():
    root = sys.argv[1]
    for sub in ("longname", "diamond", "tree"):
        os.makedirs(os.path.join(root, sub), exist_ok=True)
    psb_strings(os.path.join(root, "psb-strings.asm"))
    depdb_slots(os.path.join(root, "depdb-slots.asm"))

    parts = [("P%04d" % i, False, 1, 0) for i in range(999)] + [("N" * 1_000_000, False, 1, 0)]
    write(os.path.join(root, "longname", "top.asm"), parts)

    for level in range(30):
        nxt = level + 1 if level < 29 else 0
        kids = [("A%d" % nxt, True, 1, 0), ("B%d" % nxt, True, 1, 0)]
        write(os.path.join(root, "diamond", "a%d.asm" % level), kids + ([("BOLT", False, 1, 0)] if level == 29 else []))
        write(os.path.join(root, "diamond", "b%d.asm" % level), kids)

    for level in range(10):
        for i in range(3):
            name = "top" if level == 0 and i == 0 else "l%d_%d" % (level, i)
            if level == 0 and i > 0:
                continue
            kids = [("L%d_%d" % (level + 1, k), True, 1, 0) for k in range(3)] if level < 9 else \
                [("P%d" % k, False, 2, 0) for k in range(3)]
            write(os.path.join(root, "tree", name + ".asm"), kids)


if __name__ == "__main__":
    main()
