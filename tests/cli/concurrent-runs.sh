#!/bin/sh
# concurrent-runs.sh HOST PLUGIN WINE_RUN MAKE_INPUTS WORK: runs started
# together in one Wine prefix never end each other. 4 and then 8 runs of
# `filterhost run --prm` at once, on the display the test was given and on
# none, each output byte for byte the same as one run's alone; runs with
# windows (the about box, on virtual displays of their own) among runs
# without; and a program that ends without its status never counts as done.
. "$(dirname "$0")/lib.sh"

make_inputs image "$work/in.png" 512 384 11
make_inputs prm "$work/red.prm"

# run_at_once COUNT CASE: COUNT runs at once; each must exit 0 with the
# reference's bytes.
run_at_once() {
  count=$1
  label=$2
  before=$failures
  pids=""
  i=1
  while [ "$i" -le "$count" ]; do
    timeout 300 "$host" run "$plugin" "$work/in.png" "$work/out-$i.png" --prm "$work/red.prm" --quiet \
      >"$work/run-$i.log" 2>&1 &
    pids="$pids $!"
    i=$((i + 1))
  done
  i=1
  for pid in $pids; do
    wait "$pid"
    status=$?
    if [ "$status" -ne 0 ]; then
      fail "$label: run $i of $count exited $status: $(cat "$work/run-$i.log")"
    elif ! cmp -s "$work/reference.png" "$work/out-$i.png"; then
      fail "$label: run $i of $count wrote other bytes than a run alone (or nothing)"
    fi
    rm -f "$work/out-$i.png"
    i=$((i + 1))
  done
  check_nothing_left "$label"
  [ "$failures" -ne "$before" ] || pass "$label: $count runs at once"
}

for display in given none; do
  (
    if [ "$display" = none ]; then unset DISPLAY; fi
    failures=0
    alone="$work/alone-$display.png"
    if ! timeout 300 "$host" run "$plugin" "$work/in.png" "$alone" --prm "$work/red.prm" --quiet; then
      fail "display $display: a run alone failed"
    fi
    # The first run alone is the reference for every other.
    [ -f "$work/reference.png" ] || cp "$alone" "$work/reference.png"
    cmp -s "$alone" "$work/reference.png" || fail "display $display: a run alone wrote other bytes"
    run_at_once 4 "display $display"
    run_at_once 8 "display $display"
    exit "$failures"
  ) || failures=$((failures + $?))
  if [ "$display" = given ] && [ -z "${DISPLAY:-}" ]; then
    echo "(no display given: the first round ran without one too)"
  fi
done
[ -f "$work/reference.png" ] || fail "no reference output"

# Windows among runs without: two about boxes, each on a virtual display of
# its own when none is set, while four runs filter. Neither kind may disturb
# the other, nor the end of one display any run still using the prefix.
(
  unset DISPLAY
  failures=0
  pids=""
  for i in 1 2; do
    timeout 300 "$host" about "$plugin" --screenshot "$work/about-$i.png" >"$work/about-$i.log" 2>&1 &
    pids="$pids $!"
  done
  i=1
  while [ "$i" -le 4 ]; do
    timeout 300 "$host" run "$plugin" "$work/in.png" "$work/out-$i.png" --prm "$work/red.prm" --quiet \
      >"$work/run-$i.log" 2>&1 &
    pids="$pids $!"
    i=$((i + 1))
  done
  for pid in $pids; do
    wait "$pid" || fail "mixed: a run exited $?"
  done
  for i in 1 2 3 4; do
    cmp -s "$work/reference.png" "$work/out-$i.png" || fail "mixed: run $i wrote other bytes than a run alone: $(cat "$work/run-$i.log")"
  done
  grep -q "about box at" "$work/about-1.log" || fail "mixed: the first about box never appeared: $(cat "$work/about-1.log")"
  cmp -s "$work/about-1.png" "$work/about-2.png" || fail "mixed: the two about boxes do not look the same"
  check_nothing_left "mixed"
  [ "$failures" -ne 0 ] || pass "two about boxes on displays of their own among four runs"
  exit "$failures"
) || failures=$((failures + $?))

# A Wine process that its Wine server drops ends with status 0 having done
# nothing. The input maker never reports a status: run as though it were the
# host, its 0 must count as a failure.
(unset DISPLAY; "$wine_run" --no-window --filterhost "$make_inputs" prm "$work/unreported.prm") 2>"$work/unreported.log"
status=$?
if [ "$status" -eq 0 ]; then
  fail "a program that never reported its status counted as done"
elif ! grep -q "ended from outside" "$work/unreported.log"; then
  fail "no word of the missing status: $(cat "$work/unreported.log")"
else
  pass "a missing status is a failure (exit $status)"
fi
check_nothing_left "unreported status"

finish
