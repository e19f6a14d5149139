# Shared by the benchmarks that time kelvaron-cli on the real corpus; sourced
# after `set -euo pipefail`. Sets root, cli (KELVARON_CLI, default the release
# build's), corpus (KELVARON_CORPUS, default ../shared/proe-corpus) and runs
# (BENCH_RUNS, default 3), and gives:
#   bench_needs PACKAGES TOOL...  stops naming the Debian packages when a tool is missing
#   bench_cli                     builds the CLI if missing
#   bench_work NAME               makes $work (removed on exit); $tree names a folder in it
#   bench_tree NAME COPIES        both, with the corpus copied COPIES times below $tree
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cli=${KELVARON_CLI:-$root/build/release/src/cli/kelvaron-cli}
corpus=${KELVARON_CORPUS:-$root/../shared/proe-corpus}
runs=${BENCH_RUNS:-3}

bench_needs() {
  local packages=$1 tool
  shift
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "bench: $tool is missing (Debian: $packages)" >&2; exit 1; }
  done
}

bench_cli() {
  if [[ ! -x $cli ]]; then
    (cd "$root" && cmake --preset release >/dev/null && cmake --build --preset release --target kelvaron-cli)
  fi
}

bench_work() {
  work=$(mktemp -d "${TMPDIR:-/tmp}/kelvaron-$1.XXXXXX")
  trap 'rm -rf "$work"' EXIT
  tree=$work/tree
}

bench_tree() {
  local name=$1 copies=$2 c
  [[ -d $corpus ]] || { echo "bench: no corpus at $corpus" >&2; exit 1; }
  bench_cli
  bench_work "$name"
  mkdir "$tree"
  for ((c = 0; c < copies; c++)); do cp -r "$corpus" "$tree/copy_$c"; done
  chmod -R u+w "$tree"
}
