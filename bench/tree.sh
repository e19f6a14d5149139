#!/usr/bin/env bash
# Times kelvaron-cli on a folder tree against ripgrep and find, best of 3:
# a tree of 10,000 files in a few hundred folders, about 60% of them
# assemblies (plain and versioned, 1 to 40 records each), the rest other files.
#   bench/tree.sh                uses build/release/src/cli/kelvaron-cli (built if missing)
#   KELVARON_CLI=path bench/tree.sh
# Rows: the full run with reports written vs. rg; the same without reports;
# the walk alone (kelvaron-cli --list, which walks and prints the paths) vs. find.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/corpustree.sh"

bench_needs "ripgrep, findutils, python3" rg find python3
bench_cli
bench_work tree
mkdir "$work/reports"

python3 "$here/treegen.py" "$tree"

# best CMD...: the fastest of $runs runs in seconds (stdout to $work/out).
best() {
  local b="" s e t
  for ((i = 0; i < runs; i++)); do
    s=$(date +%s%N)
    "$@" >"$work/out" 2>/dev/null || true
    e=$(date +%s%N)
    t=$(awk -v a="$s" -v b="$e" 'BEGIN{printf "%.3f", (b - a) / 1e9}')
    if [[ -z $b ]] || awk -v a="$t" -v b="$b" 'BEGIN{exit !(a<b)}'; then b=$t; fi
  done
  echo "$b"
}
ratio() { awk -v k="$1" -v r="$2" 'BEGIN{printf "%.2f", (r > 0 ? k / r : 0)}'; }

files=$(find "$tree" -type f | wc -l)
mb=$(du -sm "$tree" | cut -f1)
cat "$(find "$tree" -type f | head -1)" >/dev/null
find "$tree" -type f -exec cat {} + >/dev/null  # page cache warm for every contender
echo "tree: $files files, $(find "$tree" -type d | wc -l) folders, $mb MB, kelvaron-cli jobs: default ($(nproc) cores)"
rg_t=$(best rg -a -o --iglob '*.asm*' '3 3 [A-Za-z0-9_-]+' "$tree")
rg_n=$(wc -l <"$work/out")
k_t=$(best "$cli" --report-dir "$work/reports" "$tree")
reports=$(ls "$work/reports" | wc -l)
n_t=$(best "$cli" --no-report --json "$tree")
find_t=$(best find "$tree" -iname '*.asm*')
find_n=$(wc -l <"$work/out")
walk_t=$(best "$cli" --list "$tree")
walk_n=$(wc -l <"$work/out")
printf '%-48s %8s s\n' "rg -a -o --iglob '*.asm*' ... ($rg_n names)" "$rg_t"
printf '%-48s %8s s  %sx rg\n' "kelvaron-cli DIR ($reports reports)" "$k_t" "$(ratio "$k_t" "$rg_t")"
printf '%-48s %8s s  %sx rg\n' "kelvaron-cli --no-report --json DIR" "$n_t" "$(ratio "$n_t" "$rg_t")"
printf '%-48s %8s s\n' "find DIR -iname '*.asm*' ($find_n paths)" "$find_t"
printf '%-48s %8s s  %sx find\n' "kelvaron-cli --list DIR ($walk_n paths)" "$walk_t" "$(ratio "$walk_t" "$find_t")"
awk -v k="$k_t" -v r="$rg_t" 'BEGIN{exit !(k > 1.5 * r)}' && { echo "SLOW: over 1.5x ripgrep"; exit 1; }
exit 0
