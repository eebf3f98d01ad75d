#!/bin/sh
# full-disk.sh HOST PLUGIN WINE_RUN MAKE_INPUTS WORK: OUTPUT on a file system
# that fills up while the result is written (a 5 MB tmpfs): a single run and
# a batch each end with status 2, say the system's reason, "No space left on
# device", and leave no temporary and no partial output. Skipped, saying so,
# where the test cannot mount a tmpfs (not root, or no permission).
. "$(dirname "$0")/lib.sh"

mkdir -p "$work/full"
if ! mount -t tmpfs -o size=5m tmpfs "$work/full" 2>/dev/null; then
  echo "skipped: cannot mount a tmpfs here (run as root to test a full disk)"
  finish
fi
trap 'umount "$work/full" 2>/dev/null' EXIT
make_inputs image "$work/noise.png" 1500 1500 11 16
make_inputs prm "$work/red.prm"

label="a single run onto a full disk"
before=$failures
"$host" run "$plugin" "$work/noise.png" "$work/full/out.png" --prm "$work/red.prm" --quiet >"$work/run.log" 2>&1
status=$?
[ "$status" -eq 2 ] || fail "$label: exit status $status, not 2: $(cat "$work/run.log")"
grep -q "No space left on device" "$work/run.log" || fail "$label: the reason is not said: $(cat "$work/run.log")"
[ -z "$(ls -A "$work/full")" ] || fail "$label: left $(ls -A "$work/full")"
[ "$failures" -ne "$before" ] || pass "$label"

label="a batch onto a full disk"
before=$failures
mkdir -p "$work/in"
cp "$work/noise.png" "$work/in/a.png"
"$host" run "$plugin" --prm "$work/red.prm" --out-dir "$work/full" "$work/in/a.png" --quiet >"$work/batch.log" 2>&1
status=$?
[ "$status" -eq 2 ] || fail "$label: exit status $status, not 2: $(cat "$work/batch.log")"
grep -q "a.png.*No space left on device" "$work/batch.log" ||
  fail "$label: the file and the reason are not said: $(cat "$work/batch.log")"
[ -z "$(ls -A "$work/full")" ] || fail "$label: left $(ls -A "$work/full")"
check_nothing_left "$label"
[ "$failures" -ne "$before" ] || pass "$label"

umount "$work/full"
trap - EXIT
finish
