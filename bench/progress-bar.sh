#!/bin/sh
# What the progress bar costs: whole runs through our host on the benchmark's
# 4096 x 4096 image with standard error on a terminal (a pseudo-terminal made
# by script(1)), so the bar is drawn, against the same runs with --quiet on the
# same terminal. Both
# must write the same bytes, and not the input's. Prints the best of three.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
target=$("$top/scripts/windows-target.sh")
"$top/scripts/build.sh" "$target" >/dev/null
bin="$top/build/$target/bin"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$top/filterhost/wine/wine-run.sh" "$bin/host_run_benchmark.exe" --inputs "$work"

# best SECONDS-SO-FAR COMMAND...: runs the command once, prints the smaller time.
best() {
    so_far=$1
    shift
    start=$(date +%s%N)
    "$@" >/dev/null
    took=$(( ($(date +%s%N) - start) / 1000000 ))
    if [ "$so_far" = "" ] || [ "$took" -lt "$so_far" ]; then echo "$took"; else echo "$so_far"; fi
}
run="$bin/filterhost run $("$top/scripts/product-file.sh" "$bin") $work/bench-in.png"
bar="" quiet=""
for round in 1 2 3; do
    bar=$(best "$bar" script -q -e -c "$run $work/bar.png --prm $work/bench.prm" /dev/null)
    quiet=$(best "$quiet" script -q -e -c "$run $work/quiet.png --prm $work/bench.prm --quiet" /dev/null)
done
cmp -s "$work/bar.png" "$work/quiet.png" || { echo "progress-bar: the two runs wrote different images" >&2; exit 1; }
! cmp -s "$work/bar.png" "$work/bench-in.png" || { echo "progress-bar: the image came back unchanged" >&2; exit 1; }
echo "progress bar on a terminal: $bar ms; --quiet: $quiet ms; ratio $(echo "$bar $quiet" | awk '{printf "%.2f", $1 / $2}')"
