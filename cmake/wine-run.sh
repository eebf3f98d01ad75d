#!/bin/sh
# wine-run.sh PROGRAM.exe [ARGS...]: runs a Win32 program under Wine with the
# build tree's own prefix (made once, beside the program's bin folder), no
# debug chatter and no runtime installers, on a virtual X display when none is set.
set -e
program=$1
shift
bin=$(cd "$(dirname "$program")" && pwd)
export WINEPREFIX="${WINEPREFIX:-$(dirname "$bin")/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  # Only one process creates the prefix; the others wait for it.
  (
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      wineboot --init >/dev/null 2>&1 || true
      wineserver --wait || true
    fi
  ) 9>"$WINEPREFIX.lock"
fi
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" wine "$program" "$@"
fi
exec wine "$program" "$@"
