#!/usr/bin/env bash
# Times kelvaron-cli against ripgrep on a realistic 256 MB assembly and an
# adversarial 64 MB one (millions of records, no end marker), best of 3, and
# prints wall time, peak memory and the ratios.
#   bench/run.sh                 uses build/release/src/cli/kelvaron-cli (built if missing)
#   KELVARON_CLI=path bench/run.sh
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
cli=${KELVARON_CLI:-$root/build/release/src/cli/kelvaron-cli}
runs=${BENCH_RUNS:-3}

for tool in rg python3 /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "bench: $tool is missing (Debian: ripgrep, python3, time)" >&2; exit 1; }
done
if [[ ! -x $cli ]]; then
  (cd "$root" && cmake --preset release >/dev/null && cmake --build --preset release --target kelvaron-cli)
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/kelvaron-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/reports"

# best_of CMD...: runs CMD $runs times (stdout to $work/out) and prints
# "seconds kilobytes" of the fastest run: wall time in milliseconds from the
# clock, peak resident memory from /usr/bin/time.
best_of() {
  local best="" t m start end
  for ((i = 0; i < runs; i++)); do
    start=$(date +%s%N)
    /usr/bin/time -f '%M' -o "$work/time" "$@" >"$work/out" 2>"$work/err" || true
    end=$(date +%s%N)
    t=$(awk -v a="$start" -v b="$end" 'BEGIN{printf "%.3f", (b - a) / 1e9}')
    m=$(tail -n 1 "$work/time")
    if [[ -z $best ]] || awk -v a="$t" -v b="${best% *}" 'BEGIN{exit !(a<b)}'; then best="$t $m"; fi
  done
  echo "$best"
}

printf '%-12s %7s | %8s %8s | %8s %8s | %10s %8s | %6s %s\n' \
  file MB rg_s rg_MB kel_s kel_MB kel_noRep_s noRep_MB ratio "memory (target: file + 32 MB)"
status=0
for sizing in realistic:256 adversarial:64; do
  kind=${sizing%:*} mb=${sizing#*:}
  file=$work/$kind.asm
  python3 "$here/generate.py" "$kind" "$file" "$mb"
  cat "$file" >/dev/null  # page cache warm for every contender
  read -r rg_t rg_m < <(best_of rg -a -o '3 3 [A-Za-z0-9_-]+' "$file")
  rg_lines=$(wc -l <"$work/out")
  read -r k_t k_m < <(best_of "$cli" --report-dir "$work/reports" "$file")
  k_lines=$(($(wc -l <"$work/out") - 1))
  read -r n_t n_m < <(best_of "$cli" --no-report "$file")
  ratio=$(awk -v k="$k_t" -v r="$rg_t" 'BEGIN{printf "%.2f", (r > 0 ? k / r : 0)}')
  limit_kb=$(((mb + 32) * 1024))
  verdict="ok"
  awk -v k="$k_t" -v r="$rg_t" 'BEGIN{exit !(k > 1.5 * r)}' && verdict="SLOW" && status=1
  ((k_m > limit_kb)) && verdict="$verdict, MEMORY over" && status=1
  printf '%-12s %7s | %8s %8d | %8s %8d | %10s %8d | %6s %s\n' \
    "$kind" "$mb" "$rg_t" $((rg_m / 1024)) "$k_t" $((k_m / 1024)) "$n_t" $((n_m / 1024)) "$ratio" "$verdict"
  if [[ $rg_lines != "$k_lines" ]]; then
    echo "  note: ripgrep printed $rg_lines names, kelvaron-cli $k_lines"
  fi
  rm -f "$file" "$work/reports"/*
done
exit $status
