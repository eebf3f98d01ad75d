#!/bin/sh
# Builds everything and runs every test: the Win32 tests under Wine on
# virtual displays, and the native tests (engine, records, geometry, the
# products read back byte for byte), plainly and under the sanitizers.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
if [ "$(id -u)" = 0 ]; then "$top/scripts/install-deps.sh"; fi
export TAVIREL_QUIET_BUILD=1

target=$("$top/scripts/windows-target.sh")
# The trees whose Win32 tests run: i686 and x86-64 where 32-bit programs
# start (the 64-bit product then goes through the groups that load the
# plug-in), else x86-64 alone.
if [ "$target" = i686 ]; then "$top/scripts/build.sh" i686; fi
"$top/scripts/build.sh" x86_64

# The Windows tests spend most of their time waiting; while they run, the
# native trees are built and tested at the lowest priority, on the processor
# time the tests leave. Their report is printed when they end. They run in a
# session of their own (so with the interrupt signal at its default, as in a
# foreground command), which an interrupt of this script ends.
windows_log=$(mktemp "${TMPDIR:-/tmp}/tavirel-windows-tests.XXXXXX")
setsid env --default-signal=INT "$top/scripts/windows-tests.sh" "$target" >"$windows_log" 2>&1 &
windows=$!
# (A negative number after the signal names a process group; dash takes no "--".)
trap 'kill -TERM "-$windows" 2>/dev/null || :; wait "$windows" || :; rm -f "$windows_log"; exit 130' INT TERM HUP

status=0
# Elsewhere only the i686 products are built, to be checked as files by the
# native tests.
if [ "$target" != i686 ]; then nice -n 19 "$top/scripts/build.sh" i686 --target products || status=1; fi
nice -n 19 "$top/scripts/build.sh" native || status=1
echo "== native tests"
nice -n 19 ctest --test-dir "$top/build/native" --output-on-failure -j2 || status=1
# The platform-free tests once more under AddressSanitizer and UBSan.
nice -n 19 "$top/scripts/build.sh" sanitize || status=1
echo "== native tests under AddressSanitizer and UndefinedBehaviorSanitizer"
nice -n 19 ctest --test-dir "$top/build/sanitize" --output-on-failure -j2 || status=1

wait "$windows" || status=1
trap - INT TERM HUP
cat "$windows_log"
rm -f "$windows_log"
exit $status
