#!/bin/sh
# windows-tests.sh TARGET: the Win32 tests of build/TARGET under Wine, on a
# virtual display, four at a time (they spend most of their time waiting for
# windows, timers and Wine's own processes). Where TARGET is i686, the groups
# that load the plug-in run on the x86-64 build as well. Exits 1 when a test
# failed.
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
target=$1
status=0
echo "== Windows tests ($target build, under Wine)"
xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" \
    ctest --test-dir "$top/build/$target" --output-on-failure -j4 || status=1
if [ "$target" = i686 ]; then
    # Where 32-bit programs run, the 64-bit product goes through the groups
    # that load the plug-in as well: selectors, filtering, dialog, preview, batches.
    echo "== Windows tests that load the plug-in (x86_64 build, under 64-bit Wine)"
    xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" \
        ctest --test-dir "$top/build/x86_64" --output-on-failure -j4 -L loads-plugin || status=1
fi
exit $status
