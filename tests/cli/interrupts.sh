#!/bin/sh
# interrupts.sh HOST PLUGIN WINE_RUN MAKE_INPUTS WORK: SIGINT and SIGTERM to
# the filterhost wrapper abort the run as `filterhost run --help` promises.
# The wrapper waits for the host and exits 1 ("aborted"); OUTPUT is left byte
# for byte as it was, or absent when there was none; no host process, virtual
# display, file of the wrapper's or temporary output survives. Each signal
# lands as the run starts (the plug-in's abort poll sees it) and between the
# write and the move (the host held there by FILTERHOST_TEST_HOLD_FILE); a
# Ctrl+C on a terminal aborts the same way; and a run with a window on a
# virtual display of its own is waited for before its display goes.
. "$(dirname "$0")/lib.sh"

# Large enough that a run lasts about a second even with a warm Wine server:
# a signal sent as soon as the host's process exists comes long before the
# plug-in's first abort poll.
make_inputs image "$work/big.png" 6000 4000 0
make_inputs image "$work/small.png" 64 48 5
make_inputs prm "$work/red.prm"
old="$work/small.png"  # what an existing OUTPUT holds before each run

# expect_aborted CASE STATUS OUTPUT EXISTED LOG [WORD]: the checks after an
# interrupted run. WORD is what the host's complaint must hold ("aborted").
expect_aborted() {
  label=$1
  status=$2
  out=$3
  existed=$4
  log=$5
  word=${6:-aborted}
  before=$failures
  [ "$status" -eq 1 ] || fail "$label: exit status $status, not 1: $(cat "$log")"
  grep -q "$word" "$log" || fail "$label: no '$word' in: $(cat "$log")"
  if [ "$existed" = yes ]; then
    cmp -s "$old" "$out" || fail "$label: the existing output was replaced or removed"
  elif [ -e "$out" ]; then
    fail "$label: an output was written"
  fi
  check_nothing_left "$label"
  [ "$failures" -ne "$before" ] || pass "$label"
}

# start_run OUTPUT EXISTED [ARGS...]: starts filterhost run on the big image in
# the background (so, as from any shell without job control, with SIGINT
# ignored) and sets pid.
start_run() {
  out=$1
  rm -f "$out"
  [ "$2" = no ] || cp "$old" "$out"
  shift 2
  "$host" run "$plugin" "$work/big.png" "$out" --quiet "$@" >"$work/run.log" 2>&1 &
  pid=$!
}

# wait_bounded PID: waits for the wrapper, ending it with SIGKILL after 120 s
# so that a hang fails the test instead of stopping it; sets status.
wait_bounded() {
  timeout 120 tail --pid="$1" -s 0.1 -f /dev/null || kill -KILL "$1" 2>/dev/null
  wait "$1"
  status=$?
}

for signal in INT TERM; do
  # Sent once the host is started: the plug-in's first abort poll answers it.
  for existed in yes no; do
    label="SIG$signal as the run starts, output existed: $existed"
    start_run "$work/out.png" "$existed" --prm "$work/red.prm"
    wait_for_host || fail "$label: the host never started"
    kill -s "$signal" "$pid"
    wait_bounded "$pid"
    expect_aborted "$label" "$status" "$work/out.png" "$existed" "$work/run.log" "result 1: aborted"
  done

  # Held after the temporary is written and before it replaces OUTPUT.
  label="SIG$signal once the output is written, before it is moved into place"
  hold="$work/hold"
  rm -f "$hold"
  FILTERHOST_TEST_HOLD_FILE=$hold start_run "$work/out.png" yes --prm "$work/red.prm"
  tries=0
  until [ -e "$hold" ] || [ "$tries" -ge 600 ]; do
    sleep 0.1
    tries=$((tries + 1))
  done
  [ -e "$hold" ] || fail "$label: the host never reached the move"
  [ -n "$(find "$work" -name 'out.png.partial-*')" ] || fail "$label: no temporary output while held"
  kill -s "$signal" "$pid"
  wait_bounded "$pid"
  expect_aborted "$label" "$status" "$work/out.png" yes "$work/run.log" "aborted; nothing written"
done

# Ctrl+C on a terminal: the line discipline signals the whole foreground
# process group, the Wine process included unless it is kept apart. The shell
# under `script` stands for the user's interactive shell, which outlives the
# interrupt: a plain `sh -c` would die of it before writing the status.
label="Ctrl+C on a terminal"
cp "$old" "$work/out.png"
mkfifo "$work/keys"
SHELL=/bin/sh timeout 120 script -qec "trap : INT; '$host' run '$plugin' '$work/big.png' '$work/out.png' --prm '$work/red.prm' \
  2>'$work/tty.log'; echo \$? >'$work/tty.status'" /dev/null <"$work/keys" >/dev/null &
terminal=$!
exec 3>"$work/keys"  # the keyboard, held open until the run ends
if wait_for_host; then
  printf '\003' >&3
else
  fail "$label: the host never started"
fi
tries=0
until [ -s "$work/tty.status" ] || [ "$tries" -ge 1200 ]; do
  sleep 0.1
  tries=$((tries + 1))
done
exec 3>&-
wait "$terminal"
if [ -s "$work/tty.status" ]; then
  expect_aborted "$label" "$(cat "$work/tty.status")" "$work/out.png" yes "$work/tty.log" "result 1: aborted"
else
  fail "$label: the run never ended"
fi

# A window on a display of the run's own: the about box has no abort poll and
# runs to its end, and the wrapper waits for it before the display goes.
for signal in INT TERM; do
  label="SIG$signal while the about box shows, on the run's own display"
  (
    unset DISPLAY
    failures=0
    "$host" about "$plugin" --answer escape >"$work/about.log" 2>&1 &
    pid=$!
    wait_for_host || fail "$label: the host never started"
    sleep 1
    kill -s "$signal" "$pid"
    wait_bounded "$pid"
    [ "$status" -eq 0 ] || fail "$label: exit status $status: $(cat "$work/about.log")"
    grep -q "about box at" "$work/about.log" || fail "$label: the about box never showed: $(cat "$work/about.log")"
    check_nothing_left "$label"
    [ "$failures" -ne 0 ] || pass "$label"
    exit "$failures"
  ) || failures=$((failures + $?))
done

finish
