#!/bin/sh
# Converts the whole corpus (emf/ and wmf/) to PNG 1240 pixels wide in one process, with
# kvconvert and with LibreOffice's batch conversion (soffice --headless --convert-to png),
# alternating the two for a few rounds in one run, and prints the wall and processor times
# (user and system, all threads and child processes) and the ratios of the medians. On a
# machine busy with other work the wall times say little; the processor times still compare. LibreOffice is not a dependency of the project: with --install the script
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

# One line of "wall user system" seconds per run, appended to the file named first.
timed() { record=$1; shift; /usr/bin/time -f "%e %U %S" -a -o "$record" "$@" > /dev/null 2>&1 || true; }
i=1
while [ "$i" -le "$rounds" ]; do
    rm -rf "$out/kv" "$out/lo"
    # shellcheck disable=SC2086
    timed "$out/ours.times" "$build/tools/kvconvert" --width 1240 --outdir "$out/kv" $files
    if [ "$office" = yes ]; then
        # shellcheck disable=SC2086
        timed "$out/office.times" soffice --headless -env:UserInstallation="$profile" --convert-to "$filter" --outdir "$out/lo" $files
    fi
    i=$((i + 1))
done
touch "$out/office.times"
made=$(ls "$out"/kv/*.png 2> /dev/null | wc -l)
/usr/bin/python3 - "$count" "$made" "$out/ours.times" "$out/office.times" <<'PY'
import statistics, sys
count, made = int(sys.argv[1]), int(sys.argv[2])
def runs(path):
    rows = [line.split() for line in open(path) if line.strip() and line.split()[0][0].isdigit()]
    return [float(r[0]) for r in rows], [float(r[1]) + float(r[2]) for r in rows]
def show(label, wall, cpu):
    print(f"{label}: wall " + " ".join(f"{t:.2f}" for t in wall) + f" s (median {statistics.median(wall):.2f}),"
          f" processor median {statistics.median(cpu):.2f} s")
ours_wall, ours_cpu = runs(sys.argv[3])
office_wall, office_cpu = runs(sys.argv[4])
show(f"kvconvert, {count} files to PNG 1240 px in one process ({made} written)", ours_wall, ours_cpu)
if not office_wall:
    print("LibreOffice is not installed: run with --install to compare (installs libreoffice-draw-nogui)")
    sys.exit(0)
show("LibreOffice --convert-to png, the same files in one process", office_wall, office_cpu)
print(f"kvconvert is {statistics.median(office_wall) / statistics.median(ours_wall):.1f} times as fast in wall time,"
      f" {statistics.median(office_cpu) / statistics.median(ours_cpu):.1f} times in processor time")
PY
