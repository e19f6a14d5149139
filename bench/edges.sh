#!/usr/bin/env bash
# Runs kelvaron-cli on hostile inputs (bench/crafted.py) and prints, for each,
# the wall time and the peak memory against its limit:
# - the listing of a Creo file of 16 KB whose string table decodes to 50
#   million empty strings, and of one of 12 KB with 30 million NULL model slots;
# - bom (text) of 1,000 parts, one named with 1 MB;
# - where-used --indirect on a diamond of 30 levels closed by a cycle;
#   each under 10 s and 512 MB;
# - bom --format json of a tree of 88,572 rows, under 64 MB (written as it is
#   produced, so memory follows the product, not the output).
#   bench/edges.sh                 uses build/release/src/cli/kelvaron-cli (built if missing)
#   KELVARON_CLI=path bench/edges.sh
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
cli=${KELVARON_CLI:-$root/build/release/src/cli/kelvaron-cli}

for tool in python3 /usr/bin/time timeout; do
  command -v "$tool" >/dev/null || { echo "bench: $tool is missing (Debian: python3, time, coreutils)" >&2; exit 1; }
done
if [[ ! -x $cli ]]; then
  (cd "$root" && cmake --preset release >/dev/null && cmake --build --preset release --target kelvaron-cli)
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/kelvaron-edges.XXXXXX")
trap 'rm -rf "$work"' EXIT
python3 "$here/crafted.py" "$work"

# run LIMIT_MB NAME CMD...: one run, killed after 120 s; prints seconds, peak
# MB, the exit status and whether both limits held (10 s and LIMIT_MB).
run() {
  local limit=$1 name=$2
  shift 2
  local status=0
  /usr/bin/time -f "%e %M" -o "$work/time" timeout 120 "$@" >"$work/out" 2>"$work/err" || status=$?
  read -r secs kb < <(tail -1 "$work/time") || { secs=120; kb=0; }
  local mb=$((kb / 1024)) verdict=ok
  if awk -v s="$secs" 'BEGIN{exit !(s >= 10)}' || ((mb >= limit)); then verdict=OVER; fi
  printf '%-44s %7.2f s %6d MB (limit 10 s, %d MB)  exit %d  %s\n' "$name" "$secs" "$mb" "$limit" "$status" "$verdict"
}

echo "$(nproc) cores; $(wc -c <"$work/psb-strings.asm") and $(wc -c <"$work/depdb-slots.asm") bytes of crafted Creo files"
run 512 "listing: 50 M empty strings" "$cli" --no-report --json "$work/psb-strings.asm"
run 512 "listing: 30 M NULL model slots" "$cli" --no-report --json "$work/depdb-slots.asm"
run 512 "bom: a 1 MB name among 1,000 parts" "$cli" bom "$work/longname/top.asm"
echo "    output: $(wc -c <"$work/out") bytes"
run 512 "where-used --indirect: diamond and cycle" "$cli" where-used --indirect bolt --in "$work/diamond"
echo "    output: $(wc -l <"$work/out") lines; $(grep -c 'note:' "$work/err" || true) notes"
run 64 "bom --format json: 88,572-row tree" "$cli" bom --format json "$work/tree/top.asm"
echo "    output: $(wc -c <"$work/out") bytes, $(grep -o '"name"' "$work/out" | wc -l) nodes"
