#!/bin/sh
# bench/start-up.sh [--rounds N] [--gaps "3 10"]
#
# Whole `filterhost run --prm` processes (the i686 host under Wine, no
# display, the red-to-teal example) on a 64 x 64 image, where Wine's start-up
# is nearly all of the time: wall seconds from the shell, as a user's next
# command meets them.
#   cold      the prefix's Wine server and every Wine process of it ended first
#             (wineserver -k), so the run starts them all;
#   in a row  each run straight after the one before;
#   after Ns  each run N seconds after the one before ended (the desktop
#             holder of filterhost/wine/wine-run.sh keeps Wine's desktop open meanwhile).
# Medians, with the fastest and slowest, of N runs each (default 5). Every
# output is read back whole before its figures count. Ends the prefix's Wine
# processes for the cold runs: run it while nothing else uses the i686 tree.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
rounds=5
gaps="3 10"
while [ $# -gt 0 ]; do
    case "$1" in
        --rounds) rounds=$2; shift 2 ;;
        --gaps) gaps=$2; shift 2 ;;
        *) echo "usage: bench/start-up.sh [--rounds N] [--gaps \"3 10\"]" >&2; exit 2 ;;
    esac
done

"$top/bench/build-host-trees.sh"
bin="$top/build/i686/bin"
make="$top/build/native/bench/make-bench-png"
prm="$top/build/native/examples/red-to-teal.prm"
work=$(mktemp -d "${TMPDIR:-/tmp}/start-up.XXXXXX")
trap 'rm -rf "$work"' EXIT
trap 'exit 1' INT TERM
unset DISPLAY
"$make" --hues "$work/in.png" 64 8 1

# one: a run's wall seconds, appended to the file $1.
one() {
    start=$(date +%s.%N)
    "$bin/filterhost" run "$bin/Tavirel.8bf" "$work/in.png" "$work/out.png" --prm "$prm" --quiet
    end=$(date +%s.%N)
    "$make" --check "$work/out.png" 64 8
    echo "$start $end" | awk '{ printf "%.3f\n", $2 - $1 }' >>"$1"
}

# figures LABEL FILE: median, fastest and slowest.
figures() {
    sort -g "$2" | awk -v l="$1" '{ v[NR] = $1 } END {
        m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
        printf "%-10s %8.3f %8.3f %8.3f %5d\n", l, m, v[1], v[NR], NR }'
}

printf '%-10s %8s %8s %8s %5s\n' case median fastest slowest runs
: >"$work/cold"
i=0
while [ "$i" -lt "$rounds" ]; do
    WINEPREFIX="$top/build/i686/wineprefix" wineserver -k 2>/dev/null || true
    sleep 3  # the desktop holder's keeper notices its holder is gone
    one "$work/cold"
    i=$((i + 1))
done
figures cold "$work/cold"
: >"$work/row"
one "$work/row.warm"
i=0
while [ "$i" -lt "$rounds" ]; do
    one "$work/row"
    i=$((i + 1))
done
figures "in a row" "$work/row"
for gap in $gaps; do
    : >"$work/gap"
    i=0
    while [ "$i" -lt "$rounds" ]; do
        sleep "$gap"
        one "$work/gap"
        i=$((i + 1))
    done
    figures "after ${gap}s" "$work/gap"
done
