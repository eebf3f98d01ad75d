#!/bin/sh
# person.sh HOST PLUGIN WINE_RUN MAKE_INPUTS WORK: the commands a person runs,
# worked from outside with the X keyboard (xdotool) on the display CTest
# gives, with no hook inside the host: in a new prefix and then from a cold
# Wine server, the menu flow shows its dialog; a value typed, Save... through
# the real file dialog (a path typed, Enter), OK; a run with that file (--prm)
# gives the same pixels as OK did; in a second run Load... of the file sets
# the dialog back, and OK gives them again; nothing is said on the terminal
# about Wine's drives; the about box stays until Enter.
. "$(dirname "$0")/lib.sh"

if [ -z "${DISPLAY:-}" ] || ! xdotool getdisplaygeometry >/dev/null 2>&1; then
  echo "skipped: no display to work (run under xvfb-run)"
  finish
fi
# A prefix of this test's own: it is made here, by Wine's first boot as a
# person's first run makes it (not copied from the tests' template), and its
# Wine server is ended while other tests use theirs.
export WINEPREFIX="$work/prefix"
unset WINE_RUN_TEMPLATE
make_inputs image "$work/in.png" 240 160 3

# dialog_window: the X window of the parameter dialog ("Tavirel I"), waiting
# up to 90 s (a new prefix is made first).
dialog_window() {
  tries=0
  while [ "$tries" -lt 900 ]; do
    id=$(xdotool search --onlyvisible --name '^Tavirel I$' 2>/dev/null | head -n 1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
    tries=$((tries + 1))
  done
  return 1
}

# keys WINDOW KEY...: the keys typed into the window, as a person types them.
keys() {
  window=$1
  shift
  xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
  sleep 0.3
  for key in "$@"; do
    xdotool key "$key"
    sleep 0.25
  done
}

# save_as FILE: in the file dialog now open (its own window), the path typed
# and Enter pressed.
save_as() {
  tries=0
  until file_dialog=$(xdotool search --onlyvisible --name '^(Save As|Open)$' 2>/dev/null | head -n 1) &&
    [ -n "$file_dialog" ]; do
    tries=$((tries + 1))
    [ "$tries" -lt 200 ] || return 1
    sleep 0.1
  done
  sleep 0.5
  xdotool windowfocus --sync "$file_dialog" 2>/dev/null || xdotool windowfocus "$file_dialog"
  xdotool key ctrl+a
  xdotool type --delay 20 "$1"
  sleep 0.3
  xdotool key Return
  sleep 1
}

wait_bounded() {
  timeout 60 tail --pid="$1" -s 0.1 -f /dev/null || kill -KILL "$1" 2>/dev/null
  wait "$1"
  status=$?
}

# From the dialog's first focus (the first edit, its text selected), forward
# through the tab stops: the other edits, then OK, Cancel, Load..., Save...
to_save="Tab Tab Tab Tab Tab Tab Tab"
to_load="Tab Tab Tab Tab Tab Tab"

label="a new prefix: the dialog shows; a value typed, Save..., OK"
before=$failures
"$host" run "$plugin" "$work/in.png" "$work/ok.png" >"$work/run1.log" 2>&1 &
pid=$!
if window=$(dialog_window); then
  # Source hue 200.0 typed over the selected text, then through the tab stops
  # to Save..., Space opens it; back on Save..., three back to OK.
  keys "$window" 2 0 0
  # shellcheck disable=SC2086
  keys "$window" $to_save space
  save_as "Z:$(printf %s "$work/saved.prm" | tr / '\\')" ||
    fail "$label: no file dialog opened"
  keys "$window" shift+Tab shift+Tab shift+Tab space
else
  fail "$label: no dialog on the display"
fi
wait_bounded "$pid"
[ "$status" -eq 0 ] || fail "$label: exit status $status: $(cat "$work/run1.log")"
[ -s "$work/saved.prm" ] || fail "$label: Save... wrote no file"
[ -s "$work/ok.png" ] || fail "$label: OK wrote no image"
grep -q "Read access denied" "$work/run1.log" && fail "$label: Wine spoke of drive access: $(cat "$work/run1.log")"
[ "$failures" -ne "$before" ] || pass "$label"

label="the saved file filters as OK did"
before=$failures
"$host" run "$plugin" "$work/in.png" "$work/prm.png" --prm "$work/saved.prm" --quiet ||
  fail "$label: the run with --prm failed"
cmp -s "$work/ok.png" "$work/prm.png" || fail "$label: --prm gives other pixels than OK"
[ "$failures" -ne "$before" ] || pass "$label"

label="a cold Wine server: the dialog shows; another value, Load..., OK"
before=$failures
TMPDIR=/tmp wineserver -k 2>/dev/null
sleep 1
"$host" run "$plugin" "$work/in.png" "$work/loaded.png" >"$work/run2.log" 2>&1 &
pid=$!
if window=$(dialog_window); then
  keys "$window" 3 0 0
  # shellcheck disable=SC2086
  keys "$window" $to_load space
  save_as "Z:$(printf %s "$work/saved.prm" | tr / '\\')" ||
    fail "$label: no file dialog opened"
  keys "$window" shift+Tab shift+Tab space
else
  fail "$label: no dialog on the display"
fi
wait_bounded "$pid"
[ "$status" -eq 0 ] || fail "$label: exit status $status: $(cat "$work/run2.log")"
cmp -s "$work/ok.png" "$work/loaded.png" || fail "$label: after Load... OK gives other pixels than the saved settings"
grep -q "Read access denied" "$work/run2.log" && fail "$label: Wine spoke of drive access: $(cat "$work/run2.log")"
[ "$failures" -ne "$before" ] || pass "$label"

label="the about box stays until Enter"
before=$failures
"$host" about "$plugin" >"$work/about.log" 2>&1 &
pid=$!
tries=0
box=""
while [ -z "$box" ] && [ "$tries" -lt 300 ]; do
  # The host's window and, once it shows, the box: the smaller of them.
  for id in $(xdotool search --onlyvisible --classname 'filterhost.exe' 2>/dev/null); do
    size=$(xdotool getwindowgeometry "$id" 2>/dev/null | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
    [ -n "$size" ] && [ "$size" -lt 800 ] && box=$id
  done
  sleep 0.1
  tries=$((tries + 1))
done
[ -n "$box" ] || fail "$label: no about box on the display"
sleep 3
kill -0 "$pid" 2>/dev/null || fail "$label: the box closed by itself: $(cat "$work/about.log")"
[ -z "$box" ] || keys "$box" Return
wait_bounded "$pid"
[ "$status" -eq 0 ] || fail "$label: exit status $status: $(cat "$work/about.log")"
[ "$failures" -ne "$before" ] || pass "$label"

TMPDIR=/tmp wineserver -k 2>/dev/null
check_nothing_left "the person's runs"
finish
