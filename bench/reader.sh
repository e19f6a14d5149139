#!/usr/bin/env bash
# Times the format reader through kelvaron-cli on real assemblies: the shared
# corpus (assemblies and their component files) copied ten times into a
# temporary tree, against ripgrep counting the table-of-contents marker of
# every assembly in the same tree, best of 3; and peak memory on the tree and
# on the largest assembly of the corpus.
#   bench/reader.sh                uses build/release/src/cli/kelvaron-cli (built if missing)
#   KELVARON_CLI=path KELVARON_CORPUS=folder bench/reader.sh
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/corpustree.sh"
copies=${BENCH_COPIES:-10}
bench_needs "ripgrep, time" rg /usr/bin/time
bench_tree reader "$copies"

# best_of CMD...: the fastest of $runs runs as "seconds kilobytes cpu" (wall
# time from the clock, peak resident memory and user+system CPU seconds from
# /usr/bin/time: on a loaded machine the CPU time is the steadier figure);
# stdout to $work/out.
best_of() {
  local best="" t m c start end
  for ((i = 0; i < runs; i++)); do
    start=$(date +%s%N)
    /usr/bin/time -f '%M %U %S' -o "$work/time" "$@" >"$work/out" 2>"$work/err" || true
    end=$(date +%s%N)
    t=$(awk -v a="$start" -v b="$end" 'BEGIN{printf "%.3f", (b - a) / 1e9}')
    read -r m c < <(tail -n 1 "$work/time" | awk '{printf "%s %.2f\n", $1, $2 + $3}')
    if [[ -z $best ]] || awk -v a="$t" -v b="${best%% *}" 'BEGIN{exit !(a<b)}'; then best="$t $m $c"; fi
  done
  echo "$best"
}

assemblies=$(find "$tree" -type f -iname '*.asm*' | wc -l)
files=$(find "$tree" -type f | wc -l)
mb=$(du -sm "$tree" | cut -f1)
find "$tree" -type f -exec cat {} + >/dev/null  # page cache warm for every contender
echo "tree: $files files ($assemblies assemblies), $mb MB, $copies copies of $corpus; $(nproc) cores"

read -r rg_t rg_m rg_c < <(best_of rg -a -c --iglob '*.asm*' '#UGC_TOC' "$tree")
rg_n=$(wc -l <"$work/out")
read -r k_t k_m k_c < <(best_of "$cli" --no-report --json "$tree")
k_n=$(grep -c '"assembly":true' "$work/out" || true)
k_q=$(grep -o '"quantity":' "$work/out" | wc -l)
ratio=$(awk -v k="$k_t" -v r="$rg_t" 'BEGIN{printf "%.2f", (r > 0 ? k / r : 0)}')
printf '%-58s %8s s %7d KB peak  %s s CPU\n' "rg -a -c --iglob '*.asm*' '#UGC_TOC' TREE ($rg_n files)" "$rg_t" "$rg_m" \
  "$rg_c"
printf '%-58s %8s s %7d KB peak  %s s CPU  %sx rg\n' "kelvaron-cli --no-report --json TREE ($k_n assemblies, $k_q components)" \
  "$k_t" "$k_m" "$k_c" "$ratio"

largest=$(find "$corpus" -type f -iname '*.asm*' -printf '%s %p\n' | sort -n | tail -1 | cut -d' ' -f2-)
read -r l_t l_m l_c < <(best_of "$cli" --no-report --json "$largest")
printf '%-58s %8s s %7d KB peak  %s s CPU\n' "kelvaron-cli --no-report --json LARGEST ($(($(stat -c %s "$largest") / 1024)) KB)" \
  "$l_t" "$l_m" "$l_c"
echo "  LARGEST = $largest"
awk -v k="$k_t" -v r="$rg_t" 'BEGIN{exit !(k > 1.5 * r)}' && { echo "SLOW: over 1.5x ripgrep"; exit 1; }
exit 0
