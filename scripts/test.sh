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
# time the tests leave: the i686 products first (the native trees' product
# tests read them), then the native and the sanitizer trees side by side, so
# that neither's end (a last link, a last long test) leaves a core idle. The
# Windows tests and the sanitizer tree write to logs printed when all have
# ended. Each runs in a process group of its own, which an interrupt of this
# script ends: the Windows tests in a session of their own too (so with the
# interrupt signal at its default, as in a foreground command).
windows_log=$(mktemp "${TMPDIR:-/tmp}/tavirel-windows-tests.XXXXXX")
sanitize_log=$(mktemp "${TMPDIR:-/tmp}/tavirel-sanitize-tests.XXXXXX")
setsid env --default-signal=INT "$top/scripts/windows-tests.sh" "$target" >"$windows_log" 2>&1 &
windows=$!
sanitize=$windows
# (A negative number after the signal names a process group; dash takes no "--".)
trap 'kill -TERM "-$windows" "-$sanitize" 2>/dev/null || :; wait || :; rm -f "$windows_log" "$sanitize_log"; exit 130' INT TERM HUP

status=0
# Elsewhere only the i686 products are built, to be checked as files by the
# native tests.
if [ "$target" != i686 ]; then nice -n 19 "$top/scripts/build.sh" i686 --target products || status=1; fi

# The platform-free tests once more under AddressSanitizer and UBSan, in a
# process group of its own: perl's setpgrp, not setsid, for the kernel shares
# the processor between sessions whatever their nice values, and a third
# session would leave the Windows tests a third of it rather than a half.
nice -n 19 perl -e 'setpgrp(0, 0); exec @ARGV or die "$ARGV[0]: $!\n"' sh -c '
    "$1/scripts/build.sh" sanitize || exit 1
    echo "== native tests under AddressSanitizer and UndefinedBehaviorSanitizer"
    ctest --test-dir "$1/build/sanitize" --output-on-failure -j2' sh "$top" >"$sanitize_log" 2>&1 &
sanitize=$!

nice -n 19 "$top/scripts/build.sh" native || status=1
echo "== native tests"
nice -n 19 ctest --test-dir "$top/build/native" --output-on-failure -j2 || status=1

wait "$sanitize" || status=1
wait "$windows" || status=1
trap - INT TERM HUP
cat "$sanitize_log" "$windows_log"
rm -f "$sanitize_log" "$windows_log"
exit $status
