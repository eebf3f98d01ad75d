#!/bin/sh
# run-png-fuzzer.sh FUZZER SEED_MAKER WORK_DIR SECONDS: runs the PNG reader
# fuzzer for a bounded time from seeds of our own making (make_png_seeds).
set -eu
fuzzer=$1 make_seeds=$2 work=$3 seconds=$4
seeds="$work/seeds"
corpus="$work/corpus"
rm -rf "$seeds"
mkdir -p "$seeds" "$corpus"
"$make_seeds" "$seeds"
exec "$fuzzer" -max_total_time="$seconds" -max_len=65536 -print_final_stats=1 "$corpus" "$seeds"
