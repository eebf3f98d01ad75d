#!/bin/sh
# Builds everything and runs every test: the native tests (engine, records,
# geometry, the product .8bf read back byte for byte) and the Win32 tests under
# Wine on one virtual display.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
if [ "$(id -u)" = 0 ]; then "$top/scripts/install-deps.sh"; fi
export TAVIREL_QUIET_BUILD=1

# The product first: the native tests read its resources back out of it.
"$top/scripts/build.sh" i686
"$top/scripts/build.sh" native -DTAVIREL_PRODUCT_DIR="$top/build/i686/bin"
# The platform-free tests once more under AddressSanitizer and UBSan.
"$top/scripts/build.sh" sanitize
target=$("$top/scripts/windows-target.sh")
[ "$target" = i686 ] || "$top/scripts/build.sh" "$target"

status=0
echo "== native tests"
ctest --test-dir "$top/build/native" --output-on-failure -j2 || status=1
echo "== native tests under AddressSanitizer and UndefinedBehaviorSanitizer"
ctest --test-dir "$top/build/sanitize" --output-on-failure -j2 || status=1
echo "== Windows tests ($target build, under Wine)"
xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" \
    ctest --test-dir "$top/build/$target" --output-on-failure -j2 || status=1
exit $status
