#!/bin/sh
# Play time of every corpus page, ours against a Windows GDI's: bench/gdi-play/gdiplay.c is
# built with mingw and run under Wine (headless: a DIB section needs no display), and
# bench_playtimes times our player the same way (play only, 1000 px wide, median of repeats,
# pages with EMF+ drawn from their GDI records as GDI draws them).
# The two are run in turn for a few rounds and each page keeps its median over the rounds, so
# that load from other work on the machine falls on both. Prints per page our time, GDI's and
# the ratio, the pages where ours is slower, and the median and 90th percentile of the ratio.
# With --baseline BIN another build's bench_playtimes (say, of the commit before a change) is
# timed in the same rounds and shown beside ours, for before and after figures.
# A page Wine crashes on or hangs on (two minutes) is listed as not timed by GDI.
# Wine and mingw are bench tools, not dependencies of the project: with --install the script
# installs Debian's wine and gcc-mingw-w64-x86-64, otherwise it stops when they are missing.
# Usage: bench/gdi-play-times.sh [--install] [--rounds N] [--repeats N] [--baseline BIN] [BUILD_DIR] [-- FILE...]
set -eu
install=no
rounds=3
repeats=9
baseline=""
while [ $# -gt 0 ]; do
    case "$1" in
        --install) install=yes; shift ;;
        --rounds) rounds=$2; shift 2 ;;
        --repeats) repeats=$2; shift 2 ;;
        --baseline) baseline=$2; shift 2 ;;
        --) break ;;
        *) build=$1; shift ;;
    esac
done
[ "${1:-}" = "--" ] && shift
here=$(cd "$(dirname "$0")/.." && pwd)
build=${build:-$here/build}
corpus=${KV_CORPUS_DIR:-$here/../shared/corpus}
if [ $# -gt 0 ]; then files="$*"; else files=$(ls "$corpus"/emf/*.emf "$corpus"/wmf/*.wmf); fi

if [ "$install" = yes ] && ! { command -v wine > /dev/null 2>&1 && command -v x86_64-w64-mingw32-gcc > /dev/null 2>&1; }; then
    as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        wine wine64 gcc-mingw-w64-x86-64 > /dev/null
fi
for tool in wine x86_64-w64-mingw32-gcc; do
    command -v "$tool" > /dev/null 2>&1 || { echo "$tool is missing: run with --install" >&2; exit 1; }
done
[ -x "$build/bench/bench_playtimes" ] || { echo "no $build/bench/bench_playtimes: build the bench_playtimes target" >&2; exit 1; }

work=$(mktemp -d)
export WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
unset DISPLAY WAYLAND_DISPLAY
cleanup() { wineserver -k > /dev/null 2>&1 || true; rm -rf "$work"; }
trap cleanup EXIT
x86_64-w64-mingw32-gcc -O2 -Wall -o "$work/gdiplay.exe" "$here/bench/gdi-play/gdiplay.c" -lgdi32
# The reference renderings draw the Windows core faces with their metric twins.
cat > "$work/fonts.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Arial"="Liberation Sans"
"Times New Roman"="Liberation Serif"
"Courier New"="Liberation Mono"
"Calibri"="Carlito"
"Cambria"="Caladea"
REG
# One server for the whole run, so that each start of the player is quick.
mkdir -p "$WINEPREFIX"
wineserver -p
wine regedit /S "$work/fonts.reg" > /dev/null 2>&1

i=1
while [ "$i" -le "$rounds" ]; do
    # shellcheck disable=SC2086
    "$build/bench/bench_playtimes" --gdi-only --repeats "$repeats" $files 2>> "$work/ours.err" | grep '^PLAY_MS ' | sed 's/^/ours /' >> "$work/times" || true
    if [ -n "$baseline" ]; then
        # shellcheck disable=SC2086
        "$baseline" --gdi-only --repeats "$repeats" $files 2>> "$work/ours.err" | grep '^PLAY_MS ' | sed 's/^/before /' >> "$work/times" || true
    fi
    # A process per page: Wine's player crashes on some damaged pages. Its output goes to a
    # file, as Wine's services keep a pipe open after the program ends.
    for f in $files; do
        timeout 120 wine "$work/gdiplay.exe" --repeats "$repeats" "Z:$f" >> "$work/gdi.out" 2>> "$work/gdi.err" || true
    done
    i=$((i + 1))
done
tr -d '\r' < "$work/gdi.out" | grep '^PLAY_MS ' | sed 's/ Z:/ /; s/^/gdi /' >> "$work/times" || true
sort -u "$work/ours.err" "$work/gdi.err" | tr -d '\r' >&2

/usr/bin/python3 - "$work/times" <<'PY'
import os, statistics, sys
times = {}
for line in open(sys.argv[1]):
    who, tag, ms, path = line.split(maxsplit=3)
    if tag == "PLAY_MS":
        times.setdefault(path.strip(), {}).setdefault(who, []).append(float(ms))
rows, untimed = [], []
for path, t in sorted(times.items()):
    if "gdi" not in t:
        untimed.append(path)
    elif "ours" in t:
        ours, gdi = statistics.median(t["ours"]), statistics.median(t["gdi"])
        before = statistics.median(t["before"]) if "before" in t else None
        rows.append((os.path.basename(os.path.dirname(path)) + "/" + os.path.basename(path), ours, gdi, ours / max(gdi, 1e-3), before))
with_before = any(r[4] is not None for r in rows)
print(f"{'page':52s} {'ours ms':>9s} {'GDI ms':>9s} {'ratio':>6s}" + (f" {'before ms':>9s} {'ratio':>6s}" if with_before else ""))
for name, ours, gdi, ratio, before in rows:
    tail = f" {before:9.3f} {before / max(gdi, 1e-3):6.2f}" if before is not None else ""
    print(f"{name:52s} {ours:9.3f} {gdi:9.3f} {ratio:6.2f}{tail}")
if not rows:
    sys.exit("no page was timed by both")
ratios = sorted(r[3] for r in rows)
p90 = ratios[min(len(ratios) - 1, int(round(0.9 * (len(ratios) - 1))))]
slower = [r for r in rows if r[3] > 1]
print(f"\npages {len(rows)}  ratio median {statistics.median(ratios):.2f}  p90 {p90:.2f}  max {ratios[-1]:.2f}"
      f"  | total ours {sum(r[1] for r in rows):.1f} ms, GDI {sum(r[2] for r in rows):.1f} ms")
if with_before:
    olds = sorted(r[4] / max(r[2], 1e-3) for r in rows if r[4] is not None)
    print(f"before: ratio median {statistics.median(olds):.2f}  p90 {olds[min(len(olds) - 1, int(round(0.9 * (len(olds) - 1))))]:.2f}"
          f"  max {olds[-1]:.2f}  slower than GDI {sum(1 for o in olds if o > 1)}  | total {sum(r[4] for r in rows if r[4] is not None):.1f} ms")
print(f"not timed by GDI (it crashed, hung or refused the page): {len(untimed)}")
for path in untimed:
    print(f"  {path}")
print(f"slower than GDI: {len(slower)}")
for name, ours, gdi, ratio, _ in sorted(slower, key=lambda r: -r[3]):
    print(f"  {name:50s} {ours:9.3f} {gdi:9.3f} {ratio:6.2f}")
PY
