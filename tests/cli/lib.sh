# Shared by the command-line tests in this folder, which source it with their
# own arguments: HOST (the filterhost wrapper) PLUGIN WINE_RUN MAKE_INPUTS
# WORK (a folder of the test's own, emptied first).
set -u
if [ $# -ne 5 ]; then
  echo "usage: $0 HOST PLUGIN WINE_RUN MAKE_INPUTS WORK" >&2
  exit 2
fi
host=$1
plugin=$2
wine_run=$3
make_inputs=$4
work=$5
failures=0
rm -rf "$work"
mkdir -p "$work/tmp"
# The wrapper keeps its own files under TMPDIR (Wine itself is given /tmp): a
# folder of this test's, so that whatever a run leaves behind is seen, and the
# processes of this test's runs are told from those of any other test.
export TMPDIR="$work/tmp"
test_tmp=$TMPDIR
# Inherited by every process of this test's runs, Wine's and the display's.
export TAVIREL_CLI_TEST="$work"

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

pass() {
  echo "ok: $* ($(date +%T))"
}

# make_inputs ARGS...: runs the input maker under Wine.
make_inputs() {
  "$wine_run" --no-window "$make_inputs" "$@" || {
    echo "make_run_inputs $* failed" >&2
    exit 1
  }
}

# The host processes and virtual displays of this test's runs, one "PID
# COMMAND" a line.
our_processes() {
  for cmdline in $(grep -lsa -e 'filterhost\.exe' -e '^Xvfb' /proc/[0-9]*/cmdline); do
    dir=${cmdline%/cmdline}
    if { tr '\0' '\n' <"$dir/environ"; } 2>/dev/null | grep -qx "TAVIREL_CLI_TEST=$work"; then
      echo "${dir#/proc/} $({ tr '\0' ' ' <"$cmdline"; } 2>/dev/null | cut -c1-100)"
    fi
  done
}

# wait_for_host: until a host process of this test runs (at most 60 s): the
# Wine process itself, not the wrapper or setsid, whose command lines also
# name filterhost.exe (the wrapper has its handler in place once it starts it).
wait_for_host() {
  tries=0
  until our_processes | grep 'filterhost\.exe' | grep -qv -e 'wine-run\.sh' -e 'setsid'; do
    tries=$((tries + 1))
    [ "$tries" -lt 600 ] || return 1
    sleep 0.1
  done
}

# check_nothing_left CASE: no host process or display of this test's still
# running, no file of the wrapper's, no temporary output in WORK.
check_nothing_left() {
  left=$(our_processes)
  [ -z "$left" ] || fail "$1: still running after the wrapper ended: $left"
  [ -z "$(ls -A "$test_tmp")" ] || fail "$1: the wrapper left $(ls -A "$test_tmp")"
  partial=$(find "$work" -name '*.partial-*')
  [ -z "$partial" ] || fail "$1: temporary output left: $partial"
  rm -rf "${test_tmp:?}"/*
  rm -f $partial
}

finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
  fi
  rm -rf "$work"
  exit 0
}
