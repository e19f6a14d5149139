#!/usr/bin/env python3
"""Writes a generated product for bench/bom.sh: a top assembly, LEVELS levels
of sub-assemblies (FANOUT per assembly) and parts under the deepest
assemblies, COMPONENTS distinct components in all. Assemblies are legacy text
files (the #P_OBJECT "@depend" table of Release 14 to Wildfire 4) written
into DIR, the part files (empty) into DIR/parts/NNN/.

    bomgen.py DIR [COMPONENTS] [LEVELS] [FANOUT]
"""
import os
import random
import sys

HEADER = (b"#UGC:2 ASSEMBLY 887 360 0 1 1 15 1600 9547\n#-END_OF_UGC_HEADER\n#P_OBJECT 6\n"
          b"@P_object 1 0\n0 1 ->\n@depend 2 0\n")
DECLARE = b"@model_name 3 10\n@model_type 4 1\n@bom_count 6 1\n@dep_type 7 1\n@comp_dep_types 16 1\n"
END = b"@dep_db 30 0\n1 30 ->\n#END_OF_P_OBJECT\n"


def assembly(components):
    """components: (NAME, is_assembly, active, suppressed)."""
    out = [HEADER, b"1 2 [%d]\n" % len(components), DECLARE]
    for name, is_asm, active, suppressed in components:
        total = active + suppressed
        dep = 32770 if active and suppressed else (32768 if suppressed else 2)
        out.append(b"2 2 \n3 3 %s\n3 4 %d\n3 6 %d\n3 7 %d\n" % (name.encode(), 1 if is_asm else 2, total, dep))
        if active and suppressed:
            out.append(b"3 16 [%d]\n$%d*2,%d*32768\n" % (total, active, suppressed))
    out.append(END)
    return b"".join(out)


def main():
    root = sys.argv[1]
    components = int(sys.argv[2]) if len(sys.argv) > 2 else 10000
    levels = int(sys.argv[3]) if len(sys.argv) > 3 else 5
    fanout = int(sys.argv[4]) if len(sys.argv) > 4 else 5
    rng = random.Random(11)
    os.makedirs(root, exist_ok=True)

    # Sub-assemblies at levels 1 .. levels-1, parts at the last level.
    tiers = [["TOP"]]
    for level in range(1, levels):
        tiers.append(["A%d_%05d" % (level, i) for i in range(len(tiers[-1]) * fanout)])
    assemblies = sum(len(t) for t in tiers[1:])
    shared = ["STD_%02d" % i for i in range(20)]  # standard parts placed all over
    own = ["P_%05d" % i for i in range(components - assemblies - len(shared))]
    deepest = tiers[-1]

    children = {name: [(rng.choice(shared), False, rng.randint(1, 8), 0)] for name in deepest}
    for level in range(len(tiers) - 1):
        for i, parent in enumerate(tiers[level]):
            kids = tiers[level + 1][i * fanout:(i + 1) * fanout]
            children[parent] = [(k, True, rng.randint(1, 3), 0) for k in kids]
            children[parent].append((rng.choice(shared), False, rng.randint(1, 8), rng.randint(0, 1)))
    for i, name in enumerate(own):
        children[deepest[i % len(deepest)]].append((name, False, rng.randint(1, 4), 0))
    for name, comps in children.items():
        with open(os.path.join(root, name.lower() + ".asm.1"), "wb") as fh:
            fh.write(assembly(comps))
    for i, name in enumerate(own + shared):
        folder = os.path.join(root, "parts", "%03d" % (i // 1000))
        os.makedirs(folder, exist_ok=True)
        open(os.path.join(folder, name.lower() + ".prt.1"), "wb").close()
    print("%d distinct components: %d assemblies, %d parts, %d levels" %
          (assemblies + len(own) + len(shared), assemblies + 1, len(own) + len(shared), levels))


if __name__ == "__main__":
    main()
