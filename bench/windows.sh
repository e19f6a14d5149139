#!/usr/bin/env bash
# The Windows build's file access under Wine against Linux, on the real files:
# kelvaron-cli lists the corpus tree (the walk alone, --list) and reads every
# assembly in it (--no-report --json), once the Linux program and once the
# Windows one from the package, best of 3 each. The ratio shows a Windows-only
# slowness in file access; Wine's own start (measured with --version) is
# subtracted from the Windows times. A figure, not a gate.
#   bench/windows.sh [ZIP]   default: the newest dist/kelvaron-*-windows-x64.zip
# KELVARON_CLI names the Linux program (default build/release/src/cli/kelvaron-cli),
# KELVARON_CORPUS the tree (default ../shared/proe-corpus), BENCH_RUNS the runs.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
cli=${KELVARON_CLI:-$root/build/release/src/cli/kelvaron-cli}
corpus=$(realpath "${KELVARON_CORPUS:-$root/../shared/proe-corpus}")
runs=${BENCH_RUNS:-3}
zip=${1:-$(ls -t "$root"/dist/kelvaron-*-windows-x64.zip 2>/dev/null | head -n 1)}
[[ -f ${zip:-} ]] || { echo "bench: no Windows package; scripts/windows.sh makes it" >&2; exit 1; }
[[ -d $corpus ]] || { echo "bench: no corpus at $corpus" >&2; exit 1; }
[[ -x $cli ]] || (cd "$root" && ./scripts/build.sh >/dev/null)

work=$(mktemp -d "${TMPDIR:-/tmp}/kelvaron-wine.XXXXXX")
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
unzip -q "$zip" -d "$work"
exe=$(find "$work" -name kelvaron-cli.exe | head -n 1)
# The persistent server first: one that wineboot started would refuse -p.
mkdir -p "$WINEPREFIX"
wineserver -p
wineboot -i >/dev/null 2>&1 || true

python3 - "$runs" "$corpus" "$cli" "$exe" <<'PY'
import os, subprocess, sys, time
runs, corpus, cli, exe = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]

def best(cmd):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        times.append(time.perf_counter() - start)
    return min(times)

wine_start = best(["wine", exe, "--version"])
files = sum(len(f) for _, _, f in os.walk(corpus))
print(f"corpus: {files} files; Wine starts a program in {wine_start:.3f} s (subtracted)")
print(f"{'kelvaron-cli on the corpus':<28} {'Linux s':>9} {'Windows s':>10} {'ratio':>7}")
for args in (["--list"], ["--no-report", "--json"]):
    linux = best([cli, *args, corpus])
    windows = max(best(["wine", exe, *args, corpus]) - wine_start, 0.001)
    print(f"{' '.join(args):<28} {linux:>9.3f} {windows:>10.3f} {windows / linux:>6.2f}x")
PY
