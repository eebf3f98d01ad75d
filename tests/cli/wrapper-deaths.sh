#!/bin/sh
# wrapper-deaths.sh HOST PLUGIN WINE_RUN MAKE_INPUTS WORK: a 400-file batch
# ended from outside in its middle, as a cancelled CI job or an out-of-memory
# killer ends it: SIGKILL to the wrapper's whole process group (the host runs
# in a session of its own, which no signal reaches), and SIGKILL or SIGTERM
# to the Wine host itself. Within 5 s no host process is left, no temporary
# either, and every finished output is byte for byte a single run's; when the
# host died and its wrapper lives, the wrapper says which signal ended it and
# how many of the 400 files were written, and ends with a non-zero status.
. "$(dirname "$0")/lib.sh"

mkdir -p "$work/in"
make_inputs image "$work/in/one.png" 480 360 5
make_inputs prm "$work/red.prm"
"$host" run "$plugin" "$work/in/one.png" "$work/reference.png" --prm "$work/red.prm" --quiet ||
  fail "a single run failed"
files=""
for i in $(seq 1 400); do
  ln "$work/in/one.png" "$work/in/f$i.png"
  files="$files $work/in/f$i.png"
done

# start_batch: the batch in a process group of its own (setsid), once the
# tenth output is in place.
start_batch() {
  rm -rf "$work/out" && mkdir "$work/out"
  # shellcheck disable=SC2086
  setsid "$host" run "$plugin" --prm "$work/red.prm" --out-dir "$work/out" --quiet $files >"$work/run.log" 2>&1 &
  pid=$!
  tries=0
  until [ -e "$work/out/f10.png" ] || [ "$tries" -ge 1200 ] || ! kill -0 "$pid" 2>/dev/null; do
    sleep 0.05
    tries=$((tries + 1))
  done
  kill -0 "$pid" 2>/dev/null || fail "$label: the batch ended before it was killed: $(cat "$work/run.log")"
}

# check_after CASE: 5 s after the kill no host is left; what is written is whole.
check_after() {
  tries=0
  while our_processes | grep -q 'filterhost\.exe' && [ "$tries" -lt 50 ]; do
    sleep 0.1
    tries=$((tries + 1))
  done
  written=$(find "$work/out" -name 'f*.png' | wc -l)
  [ "$written" -ge 10 ] && [ "$written" -lt 400 ] || fail "$1: $written of 400 outputs written"
  for f in "$work"/out/f*.png; do
    cmp -s "$work/reference.png" "$f" || fail "$1: $f is not a single run's output"
  done
  check_nothing_left "$1"
}

label="SIGKILL to the wrapper's process group"
before=$failures
start_batch
kill -KILL "-$pid" 2>/dev/null || fail "$label: no process group to kill"
wait "$pid" 2>/dev/null
check_after "$label"
[ "$failures" -ne "$before" ] || pass "$label"

for signal in KILL TERM; do
  label="SIG$signal to the Wine host"
  before=$failures
  start_batch
  wait_for_host || fail "$label: no host process"
  host_pid=$(our_processes | grep 'filterhost\.exe' | grep -v -e 'wine-run\.sh' -e 'setsid' | head -n 1 | cut -d' ' -f1)
  kill -s "$signal" "$host_pid" 2>/dev/null || fail "$label: no host process to signal"
  timeout 60 tail --pid="$pid" -s 0.1 -f /dev/null
  wait "$pid"
  status=$?
  [ "$status" -ne 0 ] || fail "$label: exit status 0"
  grep -q "was ended by signal $signal .*; [0-9]* of 400 files written, nothing half-written left" "$work/run.log" ||
    fail "$label: the wrapper does not say what happened: $(cat "$work/run.log")"
  check_after "$label"
  [ "$failures" -ne "$before" ] || pass "$label"
done

finish
