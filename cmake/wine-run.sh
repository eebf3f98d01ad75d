#!/bin/sh
# wine-run.sh PROGRAM.exe [ARGS...]: runs a Win32 program under Wine with the
# build tree's own prefix (made once, beside the program's bin folder), no
# debug chatter and no runtime installers, on a virtual X display when none is set.
# A 64-bit program (PE32+) runs under the 64-bit loader in a 64-bit prefix.
set -e
program=$1
shift
bin=$(cd "$(dirname "$program")" && pwd)
export WINEPREFIX="${WINEPREFIX:-$(dirname "$bin")/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# The machine word of the PE header (its offset is at 0x3c): 0x8664 is x86-64.
pe=$(od -An -tu4 -j60 -N4 "$program" | tr -d ' ')
machine=$(od -An -tx2 -j$((pe + 4)) -N2 "$program" | tr -d ' ')
if [ "$machine" = "8664" ]; then
  loader=/usr/lib/wine/wine64
  export WINEARCH=win64
else
  loader=/usr/lib/wine/wine
  export WINEARCH=win32
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  # Only one process creates the prefix; the others wait for it.
  (
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      "$loader" wineboot.exe --init >/dev/null 2>&1 || true
      wineserver --wait || true
    fi
  ) 9>"$WINEPREFIX.lock"
fi
if [ -z "${DISPLAY:-}" ]; then
  # Wine's own processes end before the display does, so none complains of
  # a lost X connection.
  exec xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" \
    sh -c '"$0" "$@"; status=$?; wineserver -k; exit $status' "$loader" "$program" "$@"
fi
exec "$loader" "$program" "$@"
