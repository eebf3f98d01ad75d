#!/bin/sh
# bench/host-memory.sh [--exe FILTERHOST.EXE] [--wine32] [--batch N] [SIDExBITS ...]
#
# The peak memory of whole runs of the i686 host (filterhost run with the
# red-to-teal example) on square RGB PNG files, against the raw image size
# (side x side x 3 samples) and the file's size; and of a batch run
# (--out-dir) over N copies of the same file (default 4; 0 leaves the batch
# out), against the single run's peak. Each input is made by make-bench-png
# (native build) and each output is read back whole, every chunk and the
# stream checked, before its figure counts.
#
# The peak is the Wine process's maximum resident set, as GNU time reports
# it; the host's exit status and first message are shown for a failed run.
# By default the 32-bit host runs under 64-bit Wine (a 64-bit prefix, where a
# large-address-aware program has 4 GB); --wine32 uses the build's 32-bit
# prefix. --exe measures another build of the host (its product beside it).
# Default sizes: 2000x8 6000x8 6000x16 12000x8 8000x16.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
exe="$top/build/i686/bin/filterhost.exe"
prefix="$top/build/i686/wineprefix64"
arch=win64
batch=4
while [ $# -gt 0 ]; do
    case "$1" in
        --exe) exe=$(cd "$(dirname "$2")" && pwd)/$(basename "$2"); shift 2 ;;
        --wine32) prefix="$top/build/i686/wineprefix"; arch=win32; shift ;;
        --batch) batch=$2; shift 2 ;;
        *) break ;;
    esac
done
cases=${*:-2000x8 6000x8 6000x16 12000x8 8000x16}

if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" "$0" \
        --exe "$exe" $([ "$arch" = win32 ] && echo --wine32) --batch "$batch" $cases
fi

"$top/bench/build-host-trees.sh"
make="$top/build/native/bench/make-bench-png"
prm="$top/build/native/examples/red-to-teal.prm"
plugin=$("$top/scripts/product-file.sh" "$(dirname "$exe")")

export WINEPREFIX="$prefix" WINEARCH="$arch" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    if [ "$arch" = win64 ]; then /usr/lib/wine/wine64 wineboot.exe --init >/dev/null 2>&1 || true
    else /usr/lib/wine/wine wineboot.exe --init >/dev/null 2>&1 || true; fi
    wineserver --wait || true
fi
# A running server, so that none is started as the measured process's child.
wineserver -p
work=$(mktemp -d "${TMPDIR:-/tmp}/host-memory.XXXXXX")
trap 'rm -rf "$work"; wineserver -k 2>/dev/null || true' EXIT

mb() { awk -v b="$1" 'BEGIN { printf "%.0f", b / 1048576 }'; }
echo "host: $exe ($arch prefix)"
printf '%-12s %9s %9s %9s %10s %12s %9s %8s  %s\n' image "raw MB" "file MB" "peak MB" "peak/raw" "3*raw+file" \
    "batch MB" "b/single" result
for c in $cases; do
    side=${c%x*}
    bits=${c#*x}
    in="$work/in.png"
    out="$work/out.png"
    "$make" "$in" "$side" "$bits"
    raw=$((side * side * 3 * bits / 8))
    file=$(stat -c %s "$in")
    status=0
    /usr/bin/time -f %M -o "$work/rss" /usr/lib/wine/wine "$exe" run "$plugin" "$in" "$out" --prm "$prm" --quiet \
        2>"$work/err" || status=$?
    peak=$(($(tail -n 1 "$work/rss") * 1024))
    if [ $status -eq 0 ] && "$make" --check "$out" "$side" "$bits"; then
        result=ok
    else
        result="exit $status: $(head -c 160 "$work/err" | tr '\r\n' '  ')"
    fi
    batchPeak=-
    ratio=-
    if [ "$batch" -gt 0 ]; then
        rm -rf "$work/batch-in" "$work/batch-out"
        mkdir "$work/batch-in" "$work/batch-out"
        i=1
        while [ $i -le "$batch" ]; do
            ln "$in" "$work/batch-in/in-$i.png"
            i=$((i + 1))
        done
        status=0
        /usr/bin/time -f %M -o "$work/rss" /usr/lib/wine/wine "$exe" run "$plugin" --prm "$prm" \
            --out-dir "$work/batch-out" --quiet "$work"/batch-in/*.png 2>"$work/err" || status=$?
        batchPeak=$(($(tail -n 1 "$work/rss") * 1024))
        i=1
        while [ $i -le "$batch" ] && [ $status -eq 0 ]; do
            "$make" --check "$work/batch-out/in-$i.png" "$side" "$bits" || status=check
            i=$((i + 1))
        done
        [ $status = 0 ] || result="$result; batch: exit $status: $(head -c 160 "$work/err" | tr '\r\n' '  ')"
        ratio=$(awk -v b="$batchPeak" -v p="$peak" 'BEGIN { printf "%.2f", b / p }')
        batchPeak=$(mb "$batchPeak")
        rm -rf "$work/batch-in" "$work/batch-out"
    fi
    printf '%-12s %9s %9s %9s %10s %12s %9s %8s  %s\n' "${side}² ${bits}-bit" "$(mb $raw)" "$(mb "$file")" \
        "$(mb $peak)" "$(awk -v p="$peak" -v r="$raw" 'BEGIN { printf "%.2f", p / r }')" "$(mb $((3 * raw + file)))" \
        "$batchPeak" "$ratio" "$result"
    rm -f "$in" "$out"
done
