#!/usr/bin/env bash
# Times the part-data commands on the real corpus copied ten times into a
# temporary folder, best of 3, with peak memory:
# - bom --param DESCRIPTION --material against bom without them, the same run:
#   one bom of every assembly of the tree in turn (a product's parts are read
#   only for the columns); the target is at most 1.3x;
# - info --format json on every model file of the tree against ripgrep
#   counting a parameter name in the same files (rg -a -c DESCRIPTION), which
#   reads every byte; the target is at most 1.5x.
#   bench/partdata.sh                uses build/release/src/cli/kelvaron-cli (built if missing)
#   KELVARON_CLI=path bench/partdata.sh
#   KELVARON_CORPUS=dir              the corpus (default: ../shared/proe-corpus beside the tree)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/corpustree.sh"
copies=10
bench_needs "ripgrep, time" rg /usr/bin/time
bench_tree partdata "$copies"
find "$tree" -type f \( -iname '*.prt*' -o -iname '*.asm*' \) | sort >"$work/files"
grep -i '\.asm' "$work/files" >"$work/assemblies"

# best_of CMD...: the fastest of $runs runs as "seconds kilobytes cpu" (wall
# time from the clock; peak resident memory of the largest process and
# user+system CPU seconds from /usr/bin/time); stdout to $work/out.
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
ratio() { awk -v k="$1" -v r="$2" 'BEGIN{printf "%.2f", (r > 0 ? k / r : 0)}'; }

# Every assembly's bom in turn, by one shell; the peak memory is the largest
# single kelvaron-cli, measured apart on the largest assembly.
cat >"$work/boms.sh" <<'SCRIPT'
cli=$1; list=$2; shift 2
while IFS= read -r f; do "$cli" bom "$@" "$f" >/dev/null 2>&1 || true; done <"$list"
SCRIPT

find "$tree" -type f -exec cat {} + >/dev/null  # page cache warm for every contender
echo "tree: $(wc -l <"$work/files") model files ($(wc -l <"$work/assemblies") assemblies), $(du -sm "$tree" | cut -f1) MB," \
  "$copies copies of $corpus; $(nproc) cores"

read -r b_t b_m b_c < <(best_of bash "$work/boms.sh" "$cli" "$work/assemblies")
read -r p_t p_m p_c < <(best_of bash "$work/boms.sh" "$cli" "$work/assemblies" --param DESCRIPTION --material)
printf '%-62s %8s s %6s s CPU\n' "bom ASSEMBLY, every assembly" "$b_t" "$b_c"
printf '%-62s %8s s %6s s CPU  %sx bom\n' "bom --param DESCRIPTION --material ASSEMBLY, every assembly" "$p_t" "$p_c" \
  "$(ratio "$p_t" "$b_t")"

largest=$(xargs -d '\n' stat -c '%s %n' <"$work/assemblies" | sort -n | tail -n 1 | cut -d' ' -f2-)
read -r l_t l_m l_c < <(best_of "$cli" bom --flat --param DESCRIPTION --material --mass --format json "$largest")
printf '%-62s %8s s %7d KB peak\n' "bom --flat --param DESCRIPTION --material --mass, LARGEST" "$l_t" "$l_m"
echo "  LARGEST = ${largest#"$tree"/}"

mapfile -t files <"$work/files"
read -r rg_t rg_m rg_c < <(best_of rg -a -c DESCRIPTION "${files[@]}")
read -r i_t i_m i_c < <(best_of "$cli" info --format json "${files[@]}")
i_n=$(wc -l <"$work/out")
printf '%-62s %8s s %7d KB peak  %s s CPU\n' "rg -a -c DESCRIPTION FILES" "$rg_t" "$rg_m" "$rg_c"
printf '%-62s %8s s %7d KB peak  %s s CPU  %sx rg\n' "info --format json FILES ($i_n objects)" "$i_t" "$i_m" "$i_c" \
  "$(ratio "$i_t" "$rg_t")"

status=0
awk -v k="$p_t" -v r="$b_t" 'BEGIN{exit !(k > 1.3 * r)}' && { echo "SLOW: bom columns over 1.3x bom"; status=1; }
awk -v k="$i_t" -v r="$rg_t" 'BEGIN{exit !(k > 1.5 * r)}' && { echo "SLOW: info over 1.5x ripgrep"; status=1; }
exit $status
