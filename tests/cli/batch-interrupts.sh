#!/bin/sh
# batch-interrupts.sh HOST PLUGIN WINE_RUN MAKE_INPUTS WORK: SIGINT and
# SIGTERM to the filterhost wrapper while a batch (`filterhost run --out-dir`)
# is past its first file. The batch ends with status 1 and says it was
# interrupted; the outputs in place are those of the first files, each byte
# for byte a single run's; the last file is never written; no host process,
# file of the wrapper's or temporary output survives.
. "$(dirname "$0")/lib.sh"

# Large enough that writing the four files after the first lasts well over a
# second, so a signal sent once the first output is in place lands mid-batch.
mkdir -p "$work/in"
make_inputs image "$work/in/big.png" 2048 2048 9
make_inputs prm "$work/red.prm"
"$host" run "$plugin" "$work/in/big.png" "$work/reference.png" --prm "$work/red.prm" --quiet ||
  fail "a single run failed"
files=""
for i in 1 2 3 4 5; do
  ln "$work/in/big.png" "$work/in/f$i.png"
  files="$files $work/in/f$i.png"
done

for signal in INT TERM; do
  label="SIG$signal once the first output is in place"
  before=$failures
  rm -rf "$work/out" && mkdir "$work/out"
  # shellcheck disable=SC2086
  "$host" run "$plugin" --prm "$work/red.prm" --out-dir "$work/out" --quiet $files >"$work/run.log" 2>&1 &
  pid=$!
  tries=0
  until [ -e "$work/out/f1.png" ] || [ "$tries" -ge 1200 ] || ! kill -0 "$pid" 2>/dev/null; do
    sleep 0.05
    tries=$((tries + 1))
  done
  kill -s "$signal" "$pid" 2>/dev/null || fail "$label: the batch ended before the signal"
  timeout 120 tail --pid="$pid" -s 0.1 -f /dev/null || kill -KILL "$pid" 2>/dev/null
  wait "$pid"
  status=$?
  [ "$status" -eq 1 ] || fail "$label: exit status $status, not 1: $(cat "$work/run.log")"
  grep -q "interrupted: [1-4] of 5 files written" "$work/run.log" ||
    fail "$label: no word of the interrupt: $(cat "$work/run.log")"
  # Files are written in order: what is in place is the first few, whole.
  gap=no
  for i in 1 2 3 4 5; do
    if [ -e "$work/out/f$i.png" ]; then
      [ "$gap" = no ] || fail "$label: f$i.png written after an earlier file was not"
      cmp -s "$work/reference.png" "$work/out/f$i.png" || fail "$label: f$i.png is not what a single run writes"
    else
      gap=yes
    fi
  done
  [ ! -e "$work/out/f5.png" ] || fail "$label: the last file was written"
  check_nothing_left "$label"
  [ "$failures" -ne "$before" ] || pass "$label: $(ls "$work/out" | tr '\n' ' ')written"
done

finish
