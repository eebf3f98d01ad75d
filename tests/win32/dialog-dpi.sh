#!/bin/sh
# dialog-dpi.sh WINE_RUN DIALOG_TESTS PREFIX: the dialog's layout test at 120,
# 144 and 192 DPI. Wine reads LogPixels when its server starts, so each DPI is
# set in PREFIX (a prefix of this test's own, so the other tests keep 96) and
# that prefix's server is ended before the run. The test checks that the DPI
# took hold. Exits with the first failing run's status.
set -u
wine_run=$1
tests=$2
export WINEPREFIX=$3
loader=/usr/lib/wine/wine64
# The same loader the wrapper picks for the test program.
pe=$(od -An -tu4 -j60 -N4 "$tests" | tr -d ' ')
[ "$(od -An -tx2 -j$((pe + 4)) -N2 "$tests" | tr -d ' ')" = "8664" ] || loader=/usr/lib/wine/wine
status=0
for dpi in 120 144 192; do
  if [ -f "$WINEPREFIX/system.reg" ]; then
    WINEDEBUG=-all "$loader" reg.exe add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
      >/dev/null 2>&1
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
  else
    # A new prefix: made by the wrapper's first run (at 96 DPI), then set.
    WINE_RUN_LINGER=0 "$wine_run" --no-window "$tests" --gtest_list_tests >/dev/null 2>&1
    WINEDEBUG=-all "$loader" reg.exe add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
      >/dev/null 2>&1
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
  fi
  echo "dialog-dpi: $dpi DPI"
  TAVIREL_EXPECTED_DPI=$dpi WINE_RUN_LINGER=0 "$wine_run" "$tests" \
    --gtest_filter='DialogTest.EveryControlAndTextFitsAtTheDisplaysDpi'
  result=$?
  [ "$result" = 0 ] || [ "$status" != 0 ] || status=$result
done
wineserver -k 2>/dev/null
exit "$status"
