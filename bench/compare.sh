#!/bin/sh
# Times kvconvert over the whole corpus in one process (and emf2svg-conv per file, when the
# machine has it, for scale), then runs bench_render and prints the median and 90th
# percentile of parse and play times per page.
# Usage: bench/compare.sh [BUILD_DIR]
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
corpus=${KV_CORPUS_DIR:-$here/../shared/corpus}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

start=$(date +%s.%N)
"$build/tools/kvconvert" --width 1000 --outdir "$out" "$corpus"/emf/*.emf "$corpus"/wmf/*.wmf > /dev/null 2>&1 || true
end=$(date +%s.%N)
echo "kvconvert, whole corpus in one process: $(echo "$end - $start" | bc) s"

if command -v emf2svg-conv > /dev/null 2>&1; then
    start=$(date +%s.%N)
    for f in "$corpus"/emf/*.emf; do emf2svg-conv -i "$f" -o "$out/x.svg" > /dev/null 2>&1 || true; done
    end=$(date +%s.%N)
    echo "emf2svg-conv, emf/ one process per file: $(echo "$end - $start" | bc) s"
fi

"$build/bench/bench_render" --benchmark_format=json --benchmark_min_time=0.02 > "$out/bench.json" 2> /dev/null
/usr/bin/python3 - "$out/bench.json" <<'PY'
import json, sys, statistics
runs = json.load(open(sys.argv[1]))["benchmarks"]
kinds = {}
for r in runs:
    kind = r["name"].split("/")[0]
    kinds.setdefault(kind, []).append((r["real_time"], r["cpu_time"], r["name"]))
def p90(t):
    return t[min(len(t) - 1, int(round(0.9 * (len(t) - 1))))]
# CPU time is what a page costs; wall time also counts whatever else the machine is doing.
for kind, runs in sorted(kinds.items()):
    wall = sorted(w for w, _, _ in runs)
    cpu = sorted(c for _, c, _ in runs)
    worst = max(runs, key=lambda x: x[1])
    print(f"{kind:12s} pages {len(runs):3d}  cpu median {statistics.median(cpu):6.2f} ms  p90 {p90(cpu):6.2f} ms"
          f"  | wall median {statistics.median(wall):6.2f} ms  p90 {p90(wall):6.2f} ms  | worst cpu {worst[1]:.1f} ms ({worst[2]})")
PY
