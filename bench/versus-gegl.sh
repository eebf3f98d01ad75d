#!/bin/sh
# bench/versus-gegl.sh [--rounds N] [--batch N] [--host-bin DIR] [SIDExBITS ...]
#
# Whole processes, end to end, against a peer: our host (filterhost run of
# Tavirel with the red-to-teal example settings, i686 build under Wine, one
# file, and a batch of N files in one process with --out-dir) against GEGL
# from Debian (gegl:load, gegl:color-rotate turning reds to teal,
# gegl:convert-format to the input's RGB, gegl:png-save at the input's depth),
# on the same generated files: every hue across, saturation and brightness
# ramps, seeded noise (make-bench-png --hues), one seed per file.
#
# Rounds are interleaved (ours, GEGL's, our batch, then the next round) and
# each figure is the median of the rounds: wall seconds per file, MPix/s,
# output bytes (of file 1), peak resident memory (GNU time's maximum RSS of
# the largest process; for our host that is the Wine process running
# filterhost.exe) and the ratio of our time to GEGL's. GEGL has no batch of
# its own: its per-file figure is its single run.
#
# The row "gegl's save" gives the bytes of GEGL's png-save writing our
# output's pixels, the writers compared on one image.
#
# Every output of ours is read back whole (chunks and stream checked) before
# its figures count. Needs gegl (scripts/install-deps.sh installs it).
# Defaults: 3 rounds, batches of 16 (--batch 0: no batch), 1024x8 1024x16
# 4096x8 4096x16. --host-bin times the filterhost and product of another
# build's bin folder (an older commit's, for a before-and-after table).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
rounds=3
batch=16
host_bin=""
while [ $# -gt 0 ]; do
    case "$1" in
        --rounds) rounds=$2; shift 2 ;;
        --batch) batch=$2; shift 2 ;;
        --host-bin) host_bin=$(cd "$2" && pwd); shift 2 ;;
        *) break ;;
    esac
done
cases=${*:-1024x8 1024x16 4096x8 4096x16}
command -v gegl >/dev/null || { echo "versus-gegl: gegl is not installed (scripts/install-deps.sh)" >&2; exit 2; }

"$top/bench/build-host-trees.sh"
make="$top/build/native/bench/make-bench-png"
prm="$top/build/native/examples/red-to-teal.prm"
host_bin=${host_bin:-$top/build/i686/bin}
host="$host_bin/filterhost"
plugin=$("$top/scripts/product-file.sh" "$host_bin")
work=$(mktemp -d "${TMPDIR:-/tmp}/versus-gegl.XXXXXX")
trap 'rm -rf "$work"' EXIT
trap 'exit 1' INT TERM

# timed FIGURES_FILE COMMAND...: runs COMMAND under GNU time, appending
# "seconds peak_kib" to FIGURES_FILE; a failed command ends the benchmark.
timed() {
    to=$1
    shift
    if ! /usr/bin/time -f "%e %M" -o "$work/time" "$@" >"$work/log" 2>&1; then
        echo "versus-gegl: failed: $*" >&2
        cat "$work/log" >&2
        exit 1
    fi
    cat "$work/time" >>"$to"
}

# median FILE COLUMN: the median of a column of numbers.
median() {
    cut -d' ' -f"$2" "$1" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# One warm-up run, as a user's second run in a row would find Wine.
"$make" --hues "$work/warm.png" 64 8 0
"$host" run "$plugin" "$work/warm.png" "$work/warm-out.png" --prm "$prm" --quiet

printf '%-9s %-12s %9s %9s %12s %9s %8s\n' case run "s/file" MPix/s "out bytes" "peak MiB" "vs GEGL"
for case in $cases; do
    side=${case%x*}
    bits=${case#*x}
    rm -rf "$work/in" "$work/out" "$work/batch"
    mkdir -p "$work/in" "$work/out" "$work/batch"
    i=1
    inputs=""
    while [ "$i" -le "$batch" ] || [ "$i" = 1 ]; do
        "$make" --hues "$work/in/h$i.png" "$side" "$bits" "$i"
        inputs="$inputs $work/in/h$i.png"
        i=$((i + 1))
    done
    : >"$work/ours" && : >"$work/gegl" && : >"$work/batchfig"
    r=0
    while [ "$r" -lt "$rounds" ]; do
        timed "$work/ours" "$host" run "$plugin" "$work/in/h1.png" "$work/out/ours.png" --prm "$prm" --quiet
        "$make" --check "$work/out/ours.png" "$side" "$bits"
        timed "$work/gegl" gegl -- gegl:load path="$work/in/h1.png" \
            gegl:color-rotate src-from=330 src-to=30 dest-from=150 dest-to=210 \
            gegl:convert-format "format=R'G'B' u$bits" gegl:png-save path="$work/out/gegl.png" bitdepth="$bits"
        if [ "$batch" -gt 0 ]; then
            # shellcheck disable=SC2086
            timed "$work/batchfig" "$host" run "$plugin" --prm "$prm" --out-dir "$work/batch" --quiet $inputs
            "$make" --check "$work/batch/h$batch.png" "$side" "$bits"
        fi
        r=$((r + 1))
    done
    mpix=$(echo "$side" | awk '{ print $1 * $1 / 1e6 }')
    gegl_s=$(median "$work/gegl" 1)
    row() {  # LABEL SECONDS_PER_FILE BYTES PEAK_KIB
        awk -v c="$case" -v l="$1" -v s="$2" -v b="$3" -v m="$4" -v p="$mpix" -v g="$gegl_s" 'BEGIN {
            printf "%-9s %-12s %9.3f %9.1f %12d %9.0f %7.2fx\n", c, l, s, p / s, b, m / 1024, s / g }'
    }
    row "gegl" "$gegl_s" "$(stat -c %s "$work/out/gegl.png")" "$(median "$work/gegl" 2)"
    row "ours" "$(median "$work/ours" 1)" "$(stat -c %s "$work/out/ours.png")" "$(median "$work/ours" 2)"
    # The two filters change different pixels (ours more, by its soft edge),
    # so the writers meet fairly on one image: GEGL's png-save of our result.
    gegl -- gegl:load path="$work/out/ours.png" gegl:png-save path="$work/out/ours-by-gegl.png" bitdepth="$bits" \
        >/dev/null 2>&1
    printf '%-9s %-12s %9s %9s %12d\n' "$case" "gegl's save" "-" "-" "$(stat -c %s "$work/out/ours-by-gegl.png")"
    [ "$batch" -eq 0 ] || row "ours batch" "$(median "$work/batchfig" 1 | awk -v n="$batch" '{ print $1 / n }')" \
        "$(stat -c %s "$work/batch/h1.png")" "$(median "$work/batchfig" 2)"
done
