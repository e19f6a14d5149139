#!/usr/bin/env python3
"""Writes the benchmark folder tree into the folder given: 10,000 files in a
few hundred folders, about 60% of them assemblies (plain and versioned, 1 to
40 records each), the rest other files. The same tree on every call."""
import os, random, sys
root = sys.argv[1]
rng = random.Random(7)
folders = [root]
for i in range(300):  # a few hundred folders, up to about 6 levels deep
    parent = rng.choice(folders[: max(1, len(folders))])
    if parent.count(os.sep) - root.count(os.sep) >= 6:
        parent = root
    folders.append(os.path.join(parent, "proj_%03d" % i))
for f in folders:
    os.makedirs(f, exist_ok=True)
pad = b"4 17 0\n5 18 ->\n@feat_ref 19 1\n6 19 [3]\n7 20 1.250000e+01\n"
def assembly(records):
    out = [b"#UGC:2 ASSEMBLY 887 360 0 1 1 15 1600 9547 \\\n#-END_OF_UGC_HEADER\n"]
    for i in range(records):
        out.append(b"2 2 \n3 3 PRT_%05d_%d\n" % (rng.randrange(100000), i))
        if i == 0:
            out.append(b"@model_type 4 1\n")
        out.append(b"3 4 2\n3 6 1\n" + pad * 16)
    return b"".join(out)
other = b"#UGC:2 PART 1 1\n" + pad * 200
for n in range(10000):
    folder = rng.choice(folders)
    if n % 5 < 3:
        name = "asm_%05d.%s" % (n, rng.choice(["asm", "asm.%d" % rng.randrange(1, 30), "ASM"]))
        data = assembly(rng.randrange(1, 41))
    else:
        name = "prt_%05d.%s" % (n, rng.choice(["prt", "prt.%d" % rng.randrange(1, 30), "drw.2", "txt"]))
        data = other
    with open(os.path.join(folder, name), "wb") as fh:
        fh.write(data)
