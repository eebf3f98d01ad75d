#!/bin/sh
# run-fuzzer.sh FUZZER EXAMPLES_DIR WORK_DIR SECONDS: runs the record fuzzer
# for a bounded time from a seed corpus of our own: the example parameter
# files and a few damaged records made from them.
set -eu
fuzzer=$1 examples=$2 work=$3 seconds=$4
seeds="$work/seeds"
corpus="$work/corpus"
rm -rf "$seeds"
mkdir -p "$seeds" "$corpus"
for f in "$examples"/*.prm; do
    cp "$f" "$seeds/"
    name=$(basename "$f" .prm)
    head -c 311 "$f" > "$seeds/$name-short"
    head -c 24 "$f" > "$seeds/$name-header"
    { cat "$f"; printf 'trailing bytes'; } > "$seeds/$name-long"
    # Version 2, and every number at its largest.
    { head -c 8 "$f"; printf '\000\000\000\002'; tail -c +13 "$f"; } > "$seeds/$name-v2"
    { head -c 284 "$f"; for i in 1 2 3 4 5 6 7; do printf '\177\377\377\377'; done; } > "$seeds/$name-big"
done
exec "$fuzzer" -max_total_time="$seconds" -print_final_stats=1 "$corpus" "$seeds"
