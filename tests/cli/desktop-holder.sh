#!/bin/sh
# desktop-holder.sh HOST PLUGIN WINE_RUN MAKE_INPUTS WORK: windowless runs
# without a display keep Wine's process for their desktop between runs,
# through the wrapper's holder, and nothing of it holds on to a caller. A
# run whose output goes into a pipe ends that pipe as it ends (a descriptor
# of the caller's, carried into the holder or the desktop process it keeps,
# would keep the reader waiting for the whole linger); runs in a row share
# one holder; and once no run has come for WINE_RUN_LINGER seconds the
# holder is gone and its marker with it. A keeper that died without its
# cleanup does not keep the next runs from holding.
. "$(dirname "$0")/lib.sh"
unset DISPLAY
# The prefix CTest gives this test alone (the runs of other tests would start
# holders of their own in a shared one), else the wrapper's.
prefix=${WINEPREFIX:-"$(dirname "$(dirname "$host")")/wineprefix"}
marker="$prefix/wine-run-held"

make_inputs image "$work/a.png" 64 64 3
make_inputs prm "$work/red.prm"

# holders: the PIDs of this prefix's holders (the second process of the
# program, the one on the desktop).
holders() {
  for environ in $(grep -lsa "WINE_RUN_HOLD_MARKER=Z:$marker" /proc/[0-9]*/environ); do
    dir=${environ%/environ}
    if tr '\0' ' ' <"$dir/cmdline" 2>/dev/null | grep -q 'wine-desktop-hold\.exe --hold'; then echo "${dir#/proc/}"; fi
  done
}

# end_holder: ends the prefix's keeper (and so its holder), as its linger would.
end_holder() {
  pkill -TERM -f -- "keeper .* $marker" 2>/dev/null
  tries=0
  while { [ -f "$marker" ] || [ -n "$(holders)" ]; } && [ "$tries" -lt 100 ]; do
    sleep 0.1
    tries=$((tries + 1))
  done
  [ ! -f "$marker" ] && [ -z "$(holders)" ]
}

# A fresh holder, started by a run whose output is a pipe.
end_holder || fail "a holder from before this test did not end"
if ! timeout 30 sh -c '"$1" run "$2" "$3" "$4" --prm "$5" 2>&1 | cat >/dev/null' sh \
  "$host" "$plugin" "$work/a.png" "$work/out1.png" "$work/red.prm"; then
  fail "a run's output pipe stayed open after the run (or the run failed)"
else
  pass "a run that starts the holder ends its output pipe as it ends"
fi
[ -f "$work/out1.png" ] || fail "the first run wrote nothing"
first=$(holders)
if [ -f "$marker" ] && [ "$(echo "$first" | wc -w)" = 1 ]; then
  pass "one holder keeps the desktop after the run"
else
  fail "after a windowless run: marker $(ls "$marker" 2>&1), holders '$first'"
fi

# Runs in a row: the same holder, and every output pipe ends with its run.
for i in 2 3; do
  timeout 30 sh -c '"$1" run "$2" "$3" "$4" --prm "$5" 2>&1 | cat >/dev/null' sh \
    "$host" "$plugin" "$work/a.png" "$work/out$i.png" "$work/red.prm" || fail "run $i: its pipe stayed open"
  cmp -s "$work/out1.png" "$work/out$i.png" || fail "run $i wrote another file than run 1"
done
[ "$(holders)" = "$first" ] && pass "runs in a row share the holder" || fail "holders now '$(holders)', were '$first'"

# A keeper and holder killed outright leave their marker behind; the next
# run sees the lock free, takes the marker for a dead one's and holds anew.
before=$(holders)
pkill -KILL -f -- "keeper .* $marker" 2>/dev/null
# Both processes of the holder program (the loader's and the one on the
# desktop), this prefix's only.
for environ in $(grep -lsa "WINE_RUN_HOLD_MARKER=Z:$marker" /proc/[0-9]*/environ); do
  dir=${environ%/environ}
  kill -KILL "${dir#/proc/}" 2>/dev/null
done
sleep 1
[ -f "$marker" ] || fail "the killed keeper left no marker: this case tests nothing"
"$host" run "$plugin" "$work/a.png" "$work/out5.png" --prm "$work/red.prm" || fail "the run after the kill failed"
after=$(holders)
if [ -f "$marker" ] && [ "$(echo "$after" | wc -w)" = 1 ] && [ "$after" != "$before" ]; then
  pass "a dead keeper's marker does not stop the next run from holding anew"
else
  fail "after a killed keeper: marker $(ls "$marker" 2>&1), holders '$after' (were '$before')"
fi

# The linger: a holder whose keeper a run started with WINE_RUN_LINGER=2 is
# gone a few seconds after the last run (later if other tests' runs came).
end_holder || fail "the holder did not end when its keeper was ended"
WINE_RUN_LINGER=2 "$host" run "$plugin" "$work/a.png" "$work/out4.png" --prm "$work/red.prm" ||
  fail "the run with a short linger failed"
tries=0
while { [ -f "$marker" ] || [ -n "$(holders)" ]; } && [ "$tries" -lt 900 ]; do
  sleep 0.1
  tries=$((tries + 1))
done
if [ ! -f "$marker" ] && [ -z "$(holders)" ]; then
  pass "the holder and its marker are gone once the linger has passed"
else
  fail "90 s after the last run: marker $(ls "$marker" 2>&1), holders '$(holders)'"
fi
check_nothing_left "the holder's runs"
finish
