#!/bin/sh
# batches.sh HOST PLUGIN WINE_RUN MAKE_INPUTS WORK: `filterhost run --out-dir`
# as `filterhost run --help` promises. Each output of a batch is byte for
# byte what a single run writes for that file, at 8 and 16 bits; a damaged
# file and a mode the plug-in does not take are named with their reasons
# while the other files go on, an existing output of a failed file stays as
# it was, and the status is the worst single-run status; the parameter
# handle of --parameters goes from run to run; each file has its line and
# progress bar on a terminal; and every refusal comes before anything is read
# or written, with status 2. A photograph's colour and picture chunks reach
# the outputs unchanged, single and batch, at 8 and 16 bits.
. "$(dirname "$0")/lib.sh"

mkdir -p "$work/in/sub" "$work/out"
make_inputs photo "$work/in/a.png" 300 200 3
make_inputs photo "$work/in/c16.png" 200 150 7 16
make_inputs grey "$work/in/g.png" 40 30
make_inputs prm "$work/red.prm"
# A byte in the middle of the image data changed: a damaged file, whatever
# the reader meets first (a broken stream, a bad filter byte or the CRC).
cp "$work/in/a.png" "$work/in/bad.png"
size=$(stat -c %s "$work/in/bad.png")
printf '\125' | dd of="$work/in/bad.png" bs=1 seek=$((size / 2)) conv=notrunc 2>/dev/null
cmp -s "$work/in/a.png" "$work/in/bad.png" && fail "the damaged copy is the same as the original"

# The single runs' outputs, and the parameter handle they ran with.
for f in a c16; do
  "$host" run "$plugin" "$work/in/$f.png" "$work/ref-$f.png" --prm "$work/red.prm" --quiet \
    --save-parameters "$work/handle.bin" || fail "single run of $f.png failed"
done

label="a photograph's colour and picture chunks kept"
before=$failures
for f in a c16; do
  make_inputs chunks "$work/in/$f.png" >"$work/chunks-in-$f.txt"
  make_inputs chunks "$work/ref-$f.png" >"$work/chunks-out-$f.txt"
  [ "$(grep -c . "$work/chunks-in-$f.txt")" -eq 9 ] || fail "$label: $f.png was made without its nine chunks"
  cmp -s "$work/chunks-in-$f.txt" "$work/chunks-out-$f.txt" ||
    fail "$label: $f.png's chunks changed: $(diff "$work/chunks-in-$f.txt" "$work/chunks-out-$f.txt" | tr '\n' ' ')"
done
[ "$failures" -ne "$before" ] || pass "$label"

# expect_status CASE STATUS WANTED LOG
expect_status() {
  [ "$2" -eq "$3" ] || fail "$1: exit status $2, not $3: $(cat "$4")"
}

# Three files, the middle one damaged; an earlier output of each beside.
label="a damaged file among three"
before=$failures
printf 'old a\n' >"$work/out/a.png"
printf 'old bad\n' >"$work/out/bad.png"
"$host" run "$plugin" --prm "$work/red.prm" --out-dir "$work/out" "$work/in/a.png" "$work/in/bad.png" \
  "$work/in/c16.png" --quiet >"$work/batch.log" 2>&1
expect_status "$label" $? 2 "$work/batch.log"
cmp -s "$work/ref-a.png" "$work/out/a.png" || fail "$label: a.png is not what a single run writes"
cmp -s "$work/ref-c16.png" "$work/out/c16.png" || fail "$label: the 16-bit c16.png is not what a single run writes"
[ "$(cat "$work/out/bad.png")" = "old bad" ] || fail "$label: the damaged file's earlier output was touched"
grep -q "in/bad.png is damaged" "$work/batch.log" || fail "$label: the damaged file is not named: $(cat "$work/batch.log")"
grep -q "2 of 3 files written; failed: .*in/bad.png$" "$work/batch.log" ||
  fail "$label: no closing line naming the failure: $(cat "$work/batch.log")"
[ "$(grep -c . "$work/batch.log")" -eq 2 ] || fail "$label: more than the two lines: $(cat "$work/batch.log")"
check_nothing_left "$label"
[ "$failures" -ne "$before" ] || pass "$label"

# The raw parameter handle, a mode refused, and the handle written back.
label="--parameters, a grey file refused"
before=$failures
rm -rf "$work/out2" && mkdir "$work/out2"
"$host" run "$plugin" "$work/in/g.png" "$work/in/a.png" --parameters "$work/handle.bin" --out-dir "$work/out2/" \
  --save-parameters "$work/handle-after.bin" >"$work/batch2.log" 2>&1
expect_status "$label" $? 2 "$work/batch2.log"
cmp -s "$work/ref-a.png" "$work/out2/a.png" || fail "$label: a.png is not what a single run writes"
[ ! -e "$work/out2/g.png" ] || fail "$label: the refused file was written"
grep -q "in/g.png: the plug-in does not support grey images" "$work/batch2.log" ||
  fail "$label: the refusal is not named: $(cat "$work/batch2.log")"
cmp -s "$work/handle.bin" "$work/handle-after.bin" || fail "$label: the handle came back changed or not at all"
check_nothing_left "$label"
[ "$failures" -ne "$before" ] || pass "$label"

# On a terminal: a line for each file, then its bar; none with --quiet.
label="progress on a terminal"
before=$failures
for quiet in "" --quiet; do
  rm -f "$work/out2/a.png" "$work/out2/c16.png"
  timeout 120 script -qec "'$host' run '$plugin' --prm '$work/red.prm' --out-dir '$work/out2' $quiet \
    '$work/in/a.png' '$work/in/c16.png'; echo \$? >'$work/tty.status'" /dev/null </dev/null >"$work/tty.log"
  [ "$(cat "$work/tty.status")" = 0 ] || fail "$label: exit status $(cat "$work/tty.status"): $(cat "$work/tty.log")"
  cmp -s "$work/ref-c16.png" "$work/out2/c16.png" || fail "$label: c16.png is not what a single run writes"
  # Wine's console draws each character with escape sequences of its own.
  lines=$(sed 's/\x1b\[[0-9;?]*[A-Za-z]//g' "$work/tty.log" | tr '\r' '\n' |
    grep -c -e '^\[1/2\] .*in/a\.png$' -e '^\[2/2\] .*in/c16\.png$' -e '^\[#*\] *100%$')
  if [ -z "$quiet" ] && [ "$lines" -ne 4 ]; then
    fail "$label: not a line and a full bar for each file: $(cat -v "$work/tty.log")"
  elif [ -n "$quiet" ] && [ -s "$work/tty.log" ]; then
    fail "$label: --quiet still wrote: $(cat -v "$work/tty.log")"
  fi
done
check_nothing_left "$label"
[ "$failures" -ne "$before" ] || pass "$label"

# refused CASE WORDS ARGS...: status 2, a message holding WORDS, nothing
# written to the output folder.
rm -rf "$work/out3" && mkdir "$work/out3"
refused() {
  label=$1
  words=$2
  shift 2
  before=$failures
  "$host" run "$plugin" "$@" >"$work/refused.log" 2>&1
  expect_status "$label" $? 2 "$work/refused.log"
  grep -q -- "$words" "$work/refused.log" || fail "$label: no '$words' in: $(cat "$work/refused.log")"
  [ -z "$(ls -A "$work/out3")" ] || fail "$label: wrote $(ls -A "$work/out3")"
  check_nothing_left "$label"
  [ "$failures" -ne "$before" ] || pass "refused: $label"
}
cp "$work/in/a.png" "$work/in/sub/A.png"
refused "two inputs, one output name" "in/a.png and .*in/sub/A.png would both be written to" \
  --prm "$work/red.prm" --out-dir "$work/out3" "$work/in/c16.png" "$work/in/a.png" "$work/in/sub/A.png"
refused "a missing output folder" "output folder .*/missing does not exist" \
  --prm "$work/red.prm" --out-dir "$work/missing" "$work/in/a.png"
refused "a file as output folder" "is not a folder" \
  --prm "$work/red.prm" --out-dir "$work/red.prm" "$work/in/a.png"
refused "the menu flow" "add --prm or --parameters" --out-dir "$work/out3" "$work/in/a.png"
refused "an OUTPUT beside --out-dir" "out3/new.png does not exist .*no OUTPUT" \
  "$work/in/a.png" "$work/out3/new.png" --prm "$work/red.prm" --out-dir "$work/out3"
refused "no inputs" "needs the input images" --prm "$work/red.prm" --out-dir "$work/out3"
[ ! -e "$work/missing" ] || fail "the missing output folder was made"

finish
