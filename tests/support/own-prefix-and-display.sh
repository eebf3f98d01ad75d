#!/bin/sh
# own-prefix-and-display.sh PREFIX COMMAND [ARGS...]: runs COMMAND with a Wine
# prefix (PREFIX, copied from WINE_RUN_TEMPLATE when it is new) and an X
# display of its own, so that tests which work windows (the foreground window
# that owns a message box, the one pointer, the keyboard focus, the settings
# file in the prefix) run side by side instead of in turn. The display is a
# virtual one (Xvfb, 1280 x 1024 at 24 bits, the size the tests place windows
# for) on a number it picks itself. Afterwards the prefix's Wine server is
# ended, then the display. Exits with COMMAND's status.
set -u
prefix=$1
shift
export WINEPREFIX="$prefix"
# A server left from an earlier, interrupted run would hold the old display.
wineserver -k 2>/dev/null
dir=$(mktemp -d "${TMPDIR:-/tmp}/own-display.XXXXXX") || exit 2
mkfifo "$dir/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display" >/dev/null 2>&1 &
xvfb=$!
cleanup() {
  wineserver -k 2>/dev/null
  kill "$xvfb" 2>/dev/null
  wait "$xvfb" 2>/dev/null
  rm -rf "$dir"
}
trap 'cleanup; exit 1' INT TERM HUP
if ! read -r number <"$dir/display"; then
  echo "own-prefix-and-display: the virtual display (Xvfb) did not start" >&2
  cleanup
  exit 2
fi
export DISPLAY=":$number"
"$@"
status=$?
cleanup
exit "$status"
