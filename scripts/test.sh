#!/bin/sh
# Builds everything and runs every test: the native tests (engine, records,
# geometry, the product .8bf read back byte for byte) and the Win32 tests under
# Wine on one virtual display.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
if [ "$(id -u)" = 0 ]; then "$top/scripts/install-deps.sh"; fi
export TAVIREL_QUIET_BUILD=1

# Both products first: the native tests read them back as files.
"$top/scripts/build.sh" i686
"$top/scripts/build.sh" x86_64
"$top/scripts/build.sh" native
# The platform-free tests once more under AddressSanitizer and UBSan.
"$top/scripts/build.sh" sanitize
target=$("$top/scripts/windows-target.sh")

status=0
echo "== native tests"
ctest --test-dir "$top/build/native" --output-on-failure -j2 || status=1
echo "== native tests under AddressSanitizer and UndefinedBehaviorSanitizer"
ctest --test-dir "$top/build/sanitize" --output-on-failure -j2 || status=1
echo "== Windows tests ($target build, under Wine)"
xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" \
    ctest --test-dir "$top/build/$target" --output-on-failure -j2 || status=1
if [ "$target" = i686 ]; then
    # Where 32-bit programs run, the 64-bit product goes through the groups
    # that load the plug-in as well: selectors, filtering, dialog, preview, batches.
    echo "== Windows tests that load the plug-in (x86_64 build, under 64-bit Wine)"
    xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" \
        ctest --test-dir "$top/build/x86_64" --output-on-failure -j2 -L loads-plugin || status=1
fi
exit $status
