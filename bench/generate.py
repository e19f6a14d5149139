#!/usr/bin/env python3
"""Writes the two benchmark assemblies.

realistic:   the legacy text layout, one component record about every 2 KB
             (the record's field lines, then lines of other sections as padding).
adversarial: nothing but "3 3 NAME" records, millions of them, and neither an
             "@model_type" nor a "3 4 " anywhere, so no record has an end marker.
"""
import sys

def realistic(path, size):
    header = ("#UGC:2 ASSEMBLY 887 360 0 1 1 15 1600 9547 \\\n#-END_OF_UGC_HEADER\n"
              "#P_OBJECT 6\n@P_object 1 0\n0 1 ->\n@depend 2 0\n1 2 [1]\n").encode()
    pad_line = b"4 17 0\n5 18 ->\n@feat_ref 19 1\n6 19 [3]\n7 20 1.250000e+01\n"
    with open(path, "wb", buffering=1 << 20) as f:
        f.write(header)
        written, i = len(header), 0
        while written < size:
            rec = [b"2 2 \n", b"3 3 PRT_%07d_HOUSING\n" % i]
            if i == 0:
                rec.append(b"@model_type 4 1\n")
            rec.append(b"3 4 2\n3 5 %d\n3 6 1\n3 7 2\n3 8 \n4 9 \n5 10 0\n" % (i % 997))
            body = b"".join(rec)
            body += pad_line * ((2048 - len(body)) // len(pad_line))
            f.write(body)
            written += len(body)
            i += 1

def adversarial(path, size):
    with open(path, "wb", buffering=1 << 20) as f:
        f.write(b"#UGC:2 ASSEMBLY 1 1\n")
        written, i = 20, 0
        chunk = []
        while written < size:
            line = b"3 3 P%08d\n" % i
            chunk.append(line)
            written += len(line)
            i += 1
            if len(chunk) == 65536:
                f.write(b"".join(chunk))
                chunk = []
        f.write(b"".join(chunk))

if __name__ == "__main__":
    kind, path, mb = sys.argv[1], sys.argv[2], int(sys.argv[3])
    {"realistic": realistic, "adversarial": adversarial}[kind](path, mb << 20)
