#!/usr/bin/env bash
# The product view on a product of 88,572 rows: a top assembly and 9 levels of
# three sub-assemblies shared by every assembly above, each assembly with two
# parts of its own (legacy text files, 28 assemblies). Best of 3 of
#   kelvaron-cli bom --format json TOP >/dev/null          (the peer)
#   kelvaron_productbench TOP   (request to tree painted, first level open;
#                                expand all; the longest UI-thread stall)
# Then 500 parts with pictures (copies of the demo product's cup.prt.1) under
# one assembly, paged through a page every 50 ms: the seconds until every
# picture came and the longest stall of the UI thread.
# Targets: open <= 1.5 s and <= 1.5x the CLI; peak memory <= 2x the CLI's;
# expand all <= 2 s; no stall over 100 ms.
#   bench/product.sh             uses build/release (built if missing)
#   KELVARON_BUILD=dir bench/product.sh
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${KELVARON_BUILD:-$root/build/release}
cli=$build/src/cli/kelvaron-cli
gui=$build/tools/productbench/kelvaron_productbench
runs=${BENCH_RUNS:-3}

for tool in python3 /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "bench: $tool is missing (Debian: python3, time)" >&2; exit 1; }
done
if [[ ! -x $cli || ! -x $gui ]]; then
  (cd "$root" && cmake --preset release >/dev/null && cmake --build --preset release --target kelvaron-cli kelvaron_productbench)
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/kelvaron-product.XXXXXX")
trap 'rm -rf "$work"' EXIT
python3 - "$work/p" "$here" <<'PY'
import os, sys
sys.path.insert(0, sys.argv[2])
from bomgen import assembly
root = sys.argv[1]
os.makedirs(root)
levels = 9
def name(level, i):
    return "TOP" if level == 0 else "A%d_%d" % (level, i)
for level in range(levels + 1):
    for i in range(1 if level == 0 else 3):
        own = name(level, i)
        parts = [("%s_P%d" % (own, j), False, 1, 0) for j in range(2)]
        subs = [(name(level + 1, k), True, 1, 0) for k in range(3)] if level < levels else []
        with open(os.path.join(root, own.lower() + ".asm.1"), "wb") as fh:
            fh.write(assembly(subs + parts))
        for p, _, _, _ in parts:
            open(os.path.join(root, p.lower() + ".prt.1"), "wb").close()
PY
picture=$root/examples/starspeaker/cup.prt.1
[[ -f $picture ]] || picture=$root/../shared/demo/ei0410__Creo/starbacks/cup.prt.1
[[ -f $picture ]] || { echo "bench: no part with a picture (examples/starspeaker/cup.prt.1)" >&2; exit 1; }
python3 - "$work/pics" "$here" "$picture" <<'PY'
import os, shutil, sys
sys.path.insert(0, sys.argv[2])
from bomgen import assembly
root = sys.argv[1]
os.makedirs(root)
names = ["PART_%03d" % i for i in range(500)]
with open(os.path.join(root, "pics.asm.1"), "wb") as fh:
    fh.write(assembly([(n, False, 1, 0) for n in names]))
for n in names:
    shutil.copyfile(sys.argv[3], os.path.join(root, n.lower() + ".prt.1"))
PY
top=$work/p/top.asm.1
cat "$work"/p/* >/dev/null

export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
min() { awk -v a="$1" -v b="$2" 'BEGIN{print (b == "" || a < b) ? a : b}'; }
cli_t="" cli_m="" open_t="" stall="" peak="" expand_t="" rows=""
for ((i = 0; i < runs; i++)); do
  /usr/bin/time -f '%e %M' -o "$work/time" "$cli" bom --format json "$top" >/dev/null
  read -r t m <"$work/time"
  cli_t=$(min "$t" "$cli_t") cli_m=$(min "$m" "$cli_m")
  "$gui" "$top" >"$work/gui" 2>"$work/gui.err" || { cat "$work/gui.err" >&2; exit 1; }
  open_t=$(min "$(awk '$1=="open"{print $2}' "$work/gui")" "$open_t")
  stall=$(min "$(awk '$1=="stall"{print $2}' "$work/gui")" "$stall")
  peak=$(min "$(awk '$1=="peak_kb"{print $2}' "$work/gui")" "$peak")
  expand_t=$(min "$(awk '$1=="expand_all"{print $2}' "$work/gui")" "$expand_t")
  rows=$(awk '$1=="rows"{print $2}' "$work/gui")
done
cli_rows=$("$cli" bom --format csv "$top" | tail -n +2 | wc -l)
cat "$work"/pics/* >/dev/null
pics_t="" pics_stall="" pics=""
for ((i = 0; i < runs; i++)); do
  "$gui" --pictures "$work/pics/pics.asm.1" >"$work/gui" 2>"$work/gui.err" || { cat "$work/gui.err" >&2; exit 1; }
  pics_t=$(min "$(awk '$1=="pictures_all"{print $2}' "$work/gui")" "$pics_t")
  pics_stall=$(min "$(awk '$1=="pictures_stall"{print $2}' "$work/gui")" "$pics_stall")
  pics=$(awk '$1=="pictures"{print $2}' "$work/gui")
done

ratio() { awk -v k="$1" -v r="$2" 'BEGIN{printf "%.2f", (r > 0 ? k / r : 0)}'; }
echo "product: $cli_rows rows (bom), $rows rows in the view after expand all; $(nproc) cores"
printf '%-52s %8s s %9s KB\n' "kelvaron-cli bom --format json TOP >/dev/null" "$cli_t" "$cli_m"
printf '%-52s %8s s %9s KB   %sx time, %sx memory\n' "product view: request to tree shown" "$open_t" "$peak" \
  "$(ratio "$open_t" "$cli_t")" "$(ratio "$peak" "$cli_m")"
printf '%-52s %8s s\n' "product view: expand all" "$expand_t"
printf '%-52s %8s s\n' "longest UI-thread stall while opening (and after)" "$stall"
printf '%-52s %8s s\n' "$pics pictures, paging down: all shown after" "$pics_t"
printf '%-52s %8s s\n' "longest UI-thread stall while paging" "$pics_stall"

status=0
awk -v t="$open_t" -v c="$cli_t" 'BEGIN{exit !(t > 1.5 || t > 1.5 * c)}' && { echo "SLOW: open over 1.5 s or 1.5x the CLI"; status=1; }
awk -v m="$peak" -v c="$cli_m" 'BEGIN{exit !(m > 2 * c)}' && { echo "BIG: memory over 2x the CLI"; status=1; }
awk -v t="$expand_t" 'BEGIN{exit !(t > 2)}' && { echo "SLOW: expand all over 2 s"; status=1; }
awk -v a="$stall" -v b="$pics_stall" 'BEGIN{exit !(a > 0.1 || b > 0.1)}' && { echo "STALL: the UI thread stopped over 100 ms"; status=1; }
[[ $rows == "$cli_rows" ]] || { echo "WRONG: the view has $rows rows, bom $cli_rows"; status=1; }
exit $status
