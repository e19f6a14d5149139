#!/usr/bin/env bash
# Times the window's folder scan (kelvaron-scan-driver: the window's own scan
# controller and workers, without the window) against kelvaron-cli on the
# bench/tree.sh tree with reports, best of 5, the two taking turns; then the
# stop: how long the scan takes to end after a stop during the search and
# during the analyses.
#   bench/window.sh              uses build/release (built if missing)
#   KELVARON_BUILD=dir bench/window.sh
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${KELVARON_BUILD:-$root/build/release}
cli=$build/src/cli/kelvaron-cli
driver=$build/src/app/kelvaron-scan-driver
runs=${BENCH_RUNS:-5}

command -v python3 >/dev/null || { echo "bench: python3 is missing" >&2; exit 1; }
if [[ ! -x $cli || ! -x $driver ]]; then
  (cd "$root" && cmake --preset release >/dev/null && cmake --build --preset release --target kelvaron-cli kelvaron-scan-driver)
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/kelvaron-window.XXXXXX")
trap 'rm -rf "$work"' EXIT
tree=$work/tree
python3 "$here/treegen.py" "$tree"
find "$tree" -type f -exec cat {} + >/dev/null  # page cache warm for both
echo "tree: $(find "$tree" -type f | wc -l) files, $(find "$tree" -type d | wc -l) folders; $(nproc) cores"

# seconds CMD...: the wall time of one run, reports into a fresh folder.
seconds() {
  rm -rf "$work/reports" && mkdir "$work/reports"
  local s e
  s=$(date +%s%N)
  "$@" >"$work/out" 2>/dev/null || true
  e=$(date +%s%N)
  awk -v a="$s" -v b="$e" 'BEGIN{printf "%.3f", (b - a) / 1e9}'
}
min() { awk -v a="$1" -v b="$2" 'BEGIN{print (b == "" || a < b) ? a : b}'; }

best_cli="" best_window=""
for ((i = 0; i < runs; i++)); do
  best_cli=$(min "$(seconds "$cli" --report-dir "$work/reports" "$tree")" "$best_cli")
  cli_reports=$(ls "$work/reports" | wc -l)
  best_window=$(min "$(seconds "$driver" "$tree" "$work/reports")" "$best_window")
  window_reports=$(ls "$work/reports" | wc -l)
done
ratio=$(awk -v w="$best_window" -v c="$best_cli" 'BEGIN{printf "%.2f", (c > 0 ? w / c : 0)}')
printf '%-52s %8s s\n' "kelvaron-cli --report-dir R TREE ($cli_reports reports)" "$best_cli"
printf '%-52s %8s s  %sx kelvaron-cli\n' "window scan: kelvaron-scan-driver TREE R ($window_reports reports)" \
  "$best_window" "$ratio"

for after in 30 400; do
  rm -rf "$work/reports" && mkdir "$work/reports"
  "$driver" --stop-after "$after" "$tree" "$work/reports" 2>/dev/null | sed -n 2p |
    sed "s/^/stop at $after ms: /"
  leftovers=$(find "$work/reports" -name '.*' | wc -l)
  echo "  reports after the stop: $(ls "$work/reports" | wc -l), temporary files left: $leftovers"
done
awk -v r="$ratio" 'BEGIN{exit !(r > 1.2)}' && { echo "SLOW: over 1.2x kelvaron-cli"; exit 1; }
exit 0
