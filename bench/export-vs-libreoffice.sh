#!/bin/sh
# Saves the corpus spool pages as PNG at 150 dpi with bench_export and converts the same pages
# with LibreOffice's batch conversion (soffice --headless --convert-to png), in one run, and
# prints pages per second of both and the ratio. LibreOffice is not a dependency of the
# project: with --install the script installs Debian's libreoffice-draw-nogui, otherwise it
# leaves LibreOffice out and says so.
# Usage: bench/export-vs-libreoffice.sh [--install] [BUILD_DIR]
set -eu
install=no
if [ "${1:-}" = "--install" ]; then install=yes; shift; fi
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
corpus=${KV_CORPUS_DIR:-$here/../shared/corpus}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
pages=$(ls "$corpus"/emf/spool-*.emf)
count=$(echo "$pages" | wc -l)

"$build/bench/bench_export" --benchmark_filter='^PNG_compressed/' --benchmark_min_time=2 \
    --benchmark_format=json > "$out/ours.json"
ours=$(/usr/bin/python3 -c "import json,sys; print(json.load(open(sys.argv[1]))['benchmarks'][0]['pages_per_s'])" "$out/ours.json")
echo "Orvanta, PNG 150 dpi, $count spool pages: $ours pages/s"

if ! command -v soffice > /dev/null 2>&1 && [ "$install" = yes ]; then
    as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends libreoffice-draw-nogui > /dev/null
fi
if ! command -v soffice > /dev/null 2>&1; then
    echo "LibreOffice is not installed: run with --install to compare (installs libreoffice-draw-nogui)"
    exit 0
fi
# One warm-up start, so that the profile is made before the clock runs.
soffice --headless -env:UserInstallation=file://"$out"/profile --convert-to png --outdir "$out/warm" \
    $(echo "$pages" | head -1) > /dev/null 2>&1 || true
start=$(date +%s.%N)
# shellcheck disable=SC2086
soffice --headless -env:UserInstallation=file://"$out"/profile --convert-to png --outdir "$out/lo" $pages > /dev/null 2>&1
end=$(date +%s.%N)
made=$(ls "$out"/lo/*.png 2> /dev/null | wc -l)
first=$(ls "$out"/lo/*.png 2> /dev/null | head -1)
/usr/bin/python3 - "$ours" "$start" "$end" "$made" "$first" <<'PY'
import sys
ours, start, end, made = float(sys.argv[1]), float(sys.argv[2]), float(sys.argv[3]), int(sys.argv[4])
lo = made / (end - start) if end > start else 0
size = ""
try:
    from PIL import Image
    size = " (%d x %d pixels for the first page)" % Image.open(sys.argv[5]).size
except Exception:
    pass
print(f"LibreOffice --convert-to png, {made} pages in one process: {lo:.2f} pages/s{size}")
if lo > 0:
    print(f"Orvanta is {ours / lo:.1f} times as fast")
PY
