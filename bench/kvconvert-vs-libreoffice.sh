#!/bin/sh
# Converts the whole corpus (emf/ and wmf/) to PNG 1240 pixels wide in one process, with
# kvconvert and with LibreOffice's batch conversion (soffice --headless --convert-to png),
# alternating the two for a few rounds in one run, and prints the wall times and the ratio of
# the medians. LibreOffice is not a dependency of the project: with --install the script
# installs Debian's libreoffice-draw-nogui, otherwise it times kvconvert alone and says so.
# Usage: bench/kvconvert-vs-libreoffice.sh [--install] [--rounds N] [BUILD_DIR]
set -eu
install=no
rounds=3
while [ $# -gt 0 ]; do
    case "$1" in
        --install) install=yes; shift ;;
        --rounds) rounds=$2; shift 2 ;;
        *) break ;;
    esac
done
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
corpus=${KV_CORPUS_DIR:-$here/../shared/corpus}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
files=$(ls "$corpus"/emf/*.emf "$corpus"/wmf/*.wmf)
count=$(echo "$files" | wc -l)

if ! command -v soffice > /dev/null 2>&1 && [ "$install" = yes ]; then
    as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends libreoffice-draw-nogui > /dev/null
fi
office=yes
command -v soffice > /dev/null 2>&1 || office=no
# LibreOffice's PNG filter takes a pixel size only as width and height together, the same for
# every file of a batch: it writes each page at its own 96 dpi size (794 px wide for A4),
# fewer pixels than kvconvert's 1240, which only favours LibreOffice.
filter=png
profile="file://$out/profile"
if [ "$office" = yes ]; then
    # One warm-up start, so that the profile is made before the clock runs.
    soffice --headless -env:UserInstallation="$profile" --convert-to "$filter" --outdir "$out/warm" \
        "$(echo "$files" | head -1)" > /dev/null 2>&1 || true
fi

seconds() { /usr/bin/python3 -c 'import time; print(f"{time.monotonic():.4f}")'; }
ours_times=""
office_times=""
i=1
while [ "$i" -le "$rounds" ]; do
    rm -rf "$out/kv" "$out/lo"
    start=$(seconds)
    # shellcheck disable=SC2086
    "$build/tools/kvconvert" --width 1240 --outdir "$out/kv" $files > /dev/null 2>&1 || true
    end=$(seconds)
    ours_times="$ours_times $(echo "$end - $start" | bc)"
    if [ "$office" = yes ]; then
        start=$(seconds)
        # shellcheck disable=SC2086
        soffice --headless -env:UserInstallation="$profile" --convert-to "$filter" --outdir "$out/lo" $files > /dev/null 2>&1 || true
        end=$(seconds)
        office_times="$office_times $(echo "$end - $start" | bc)"
    fi
    i=$((i + 1))
done
made=$(ls "$out"/kv/*.png 2> /dev/null | wc -l)
/usr/bin/python3 - "$count" "$made" "$ours_times" "$office_times" <<'PY'
import statistics, sys
count, made = int(sys.argv[1]), int(sys.argv[2])
ours = [float(t) for t in sys.argv[3].split()]
office = [float(t) for t in sys.argv[4].split()]
print(f"kvconvert, {count} files to PNG 1240 px in one process ({made} written): "
      + " ".join(f"{t:.2f}" for t in ours) + f" s, median {statistics.median(ours):.2f} s")
if not office:
    print("LibreOffice is not installed: run with --install to compare (installs libreoffice-draw-nogui)")
    sys.exit(0)
print(f"LibreOffice --convert-to png, the same files in one process: "
      + " ".join(f"{t:.2f}" for t in office) + f" s, median {statistics.median(office):.2f} s")
print(f"kvconvert is {statistics.median(office) / statistics.median(ours):.1f} times as fast")
PY
