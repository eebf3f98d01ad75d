#!/bin/sh
# wine-run.sh [--no-window] [--filterhost] PROGRAM.exe [ARGS...]: runs a Win32
# program under Wine with the build tree's own prefix (made once, beside the
# program's bin folder), no debug chatter, no runtime installers, no
# debugger on a crash (the process ends instead of waiting in winedbg), and
# no menu builder (which would put menu folders and file types of the prefix
# into the user's own desktop settings, and costs each new prefix its time).
# A 64-bit program (PE32+) runs under the 64-bit loader in a 64-bit prefix.
#
# Display. A program that may show a window runs on $DISPLAY when one is set;
# when none is, it gets a virtual display of its own (Xvfb, on a display
# number it picks itself) that ends with the run. With --no-window (the
# program shows none) no display is started, and our host runs on Wine's null
# driver whatever DISPLAY says, on which windows open unseen (it answers any
# message box itself).
# Each kind of run gets a Wine desktop of its own (FILTERHOST_DESKTOP, for
# programs that honour it): the Wine process that manages a desktop draws
# through the one driver and display it started with, so the shared default
# desktop's, started by whichever program came first (a windowless run, or
# Wine's own services), would show another run's windows where nobody looks. The prefix's Wine server and its processes serve every run
# at once and are never stopped here; the windowless runs' desktop is kept
# open between runs (the holder below).
#
# Interrupts. The program runs in a session of its own, so a Ctrl+C on the
# terminal reaches only this script, which traps SIGINT, SIGTERM and SIGHUP,
# waits for the program, removes its own files and display, and exits with the
# program's status (1 when an interrupt came before the program started).
# --filterhost: the program is our filter host, which aborts its run once the
# file FILTERHOST_ABORT_FILE names exists, and writes its exit status to the
# file FILTERHOST_STATUS_FILE names as it ends. An interrupt creates the first;
# a host that ends with status 0 but without the second was ended from outside
# (a Wine process whose Wine server goes away does just that), and the run
# fails. Any other program is sent SIGTERM on an interrupt.
#
# Deaths. The host notes each temporary it creates and each output it
# finishes in the file FILTERHOST_JOURNAL_FILE names, and watches this
# script's process (FILTERHOST_WRAPPER_PID): killed with SIGKILL, which no
# trap sees, this script leaves a host that ends itself within two seconds.
# When the host dies instead (a signal, its Wine server gone), this script
# removes the temporaries it noted, says what ended it and how many files were
# written, and exits non-zero: 128 + the signal, or 2.
set -u
# An interrupt before anything has started ends the script at once, with the
# status of an interrupted run; the full handler below replaces this one.
trap 'exit 1' INT TERM HUP
# A shell without job control starts background commands with SIGINT ignored,
# and a shell cannot trap a signal that was ignored when it started: start
# again with SIGINT restored, so that an interrupt always reaches the trap.
if [ -z "${WINE_RUN_SIGINT:-}" ] && env --default-signal=INT true 2>/dev/null; then
  WINE_RUN_SIGINT=restored exec env --default-signal=INT "$0" "$@"
fi
unset WINE_RUN_SIGINT
trap 'rm -rf "${run_dir:-}"; exit 1' INT TERM HUP
no_window=0
filterhost=0
while :; do
  case "${1:-}" in
    --no-window) no_window=1; shift ;;
    --filterhost) filterhost=1; shift ;;
    *) break ;;
  esac
done
program=$1
shift
# The display the caller has, before any change below.
caller_display=${DISPLAY:-}
# Our host joins a desktop of its own before it opens anything; another
# program that touched Wine's default desktop without a display would start
# that desktop's process on the null driver, for every later run to share.
[ "$no_window" = 0 ] || [ "$filterhost" = 0 ] || unset DISPLAY
bin=$(cd "$(dirname "$program")" && pwd)
export WINEPREFIX="${WINEPREFIX:-$(dirname "$bin")/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d;winemenubuilder.exe=d"

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

run_dir=$(mktemp -d "${TMPDIR:-/tmp}/wine-run.XXXXXX") || exit 2
# Wine keeps its server's socket under TMPDIR: runs of one prefix that saw
# different ones would each start a Wine server of their own on it.
export TMPDIR=/tmp
export FILTERHOST_ABORT_FILE="$run_dir/abort"
export FILTERHOST_STATUS_FILE="$run_dir/status"
export FILTERHOST_JOURNAL_FILE="$run_dir/journal"
export FILTERHOST_WRAPPER_PID=$$
xvfb=""
pid=""
interrupted=0

# Only builtins here: a command started from a trap could reap the program
# before `wait` gives its status.
on_signal() {
  interrupted=1
  : >"$FILTERHOST_ABORT_FILE"
  if [ "$filterhost" = 0 ] && [ -n "$pid" ]; then kill -TERM "$pid" 2>/dev/null; fi
}
trap on_signal INT TERM HUP

# wait_for PID: waits until the background process PID has ended and sets
# status to its exit status. A trapped signal ends `wait` early with a status
# above 128 while the process runs on; then it is waited for again.
wait_for() {
  while :; do
    wait "$1" 2>/dev/null
    status=$?
    if [ "$status" -gt 128 ] && kill -0 "$1" 2>/dev/null; then continue; fi
    break
  done
}

# stop_display: ends this run's Xvfb once its clients have gone. The last one
# is the Wine process that managed this run's desktop; it leaves about a second
# after the program, and one that lost its display would end with an X error.
# Each client holds a socket of the server beyond those it listens on.
display_sockets() {
  ls -l "/proc/$xvfb/fd" 2>/dev/null | grep -c 'socket:'
}
stop_display() {
  [ -n "$xvfb" ] || return 0
  tries=0
  while [ "$tries" -lt 100 ] && [ "$(display_sockets)" -gt "$listening" ]; do
    sleep 0.1
    tries=$((tries + 1))
  done
  kill "$xvfb" 2>/dev/null
  wait_for "$xvfb"
  xvfb=""
}

finish() {
  [ -z "${stamp:-}" ] || touch "$stamp"
  stop_display
  rm -rf "$run_dir"
  exit "$1"
}

# Each desktop draws through X11 when the program that opened it has a
# display, else through Wine's null driver, on which windows still open
# (unseen) and message boxes can be read and answered. The marker says the
# prefix has that setting: in a prefix in use, the registry reaches user.reg
# only when its Wine server ends.
# make_prefix DIR: a prefix in DIR, booted and with the drivers set. Only one
# process creates a prefix; the others wait for it. A new prefix has no other
# user yet, so waiting for its Wine server to end (which writes the registry
# out) holds up no one.
make_prefix() {
  mkdir -p "$1"
  (
    flock 9
    export WINEPREFIX="$1"
    if [ ! -f "$1/system.reg" ]; then
      setsid -w "$loader" wineboot.exe --init >/dev/null 2>&1
      setsid -w "$loader" reg.exe add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11,null /f >/dev/null 2>&1 &&
        : >"$1/wine-run-drivers"
      wineserver --wait
    elif [ ! -f "$1/wine-run-drivers" ]; then
      setsid -w "$loader" reg.exe add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11,null /f >/dev/null 2>&1 &&
        : >"$1/wine-run-drivers"
    fi
  ) 9>"$1.lock" &
  wait_for $!
}

# copy_prefix TEMPLATE DIR: DIR made a copy of the prefix TEMPLATE, whole or
# not at all (copied beside it, then renamed). Wine's own files under
# drive_c/windows (some 600 MB, written only when a prefix is made or updated)
# are hard links where the file system allows; the registry files, which the
# Wine server replaces by renaming, and all else are copies of their own.
copy_prefix() {
  (
    flock 9
    [ ! -f "$2/system.reg" ] || exit 0
    new="$2.new.$$"
    rm -rf "$new"
    mkdir -p "$new/drive_c"
    for entry in "$1"/* "$1"/.[!.]*; do
      [ -e "$entry" ] || [ -L "$entry" ] || continue
      [ "${entry##*/}" = drive_c ] || cp -a "$entry" "$new/" || exit 1
    done
    for entry in "$1"/drive_c/*; do
      if [ "${entry##*/}" = windows ]; then
        cp -al "$entry" "$new/drive_c/" 2>/dev/null || { rm -rf "$new/drive_c/windows"; cp -a "$entry" "$new/drive_c/"; } || exit 1
      else
        cp -a "$entry" "$new/drive_c/" || exit 1
      fi
    done
    rm -rf "$2" && mv "$new" "$2"
  ) 9>"$2.lock" &
  wait_for $!
}

# WINE_RUN_TEMPLATE (the tests set it) names a prefix that a new one is copied
# from, in a second, instead of Wine's first boot, which takes half a minute
# of the processor: made the first time it is needed, and never run in
# afterwards, so that its registry files are whole as its server left them.
drivers="$WINEPREFIX/wine-run-drivers"
if [ ! -f "$WINEPREFIX/system.reg" ] || [ ! -f "$drivers" ]; then
  template=${WINE_RUN_TEMPLATE:-}
  if [ -n "$template" ] && [ "$template" != "$WINEPREFIX" ] && [ ! -f "$WINEPREFIX/system.reg" ]; then
    make_prefix "$template"
    [ "$interrupted" = 0 ] || finish 1
    copy_prefix "$template" "$WINEPREFIX"
  else
    make_prefix "$WINEPREFIX"
  fi
fi
[ "$interrupted" = 0 ] || finish 1

# Wine's own "MS Sans Serif" (Debian's fonts-wine), drawn with the metrics of
# the Windows face at 96 DPI (sserife.fon) and above (sseriff.fon). Wine names
# these files for the face but looks for them only in the prefix's Fonts
# folder; without them the face falls back to a wider one, in which the
# dialogs' texts no longer fit the controls laid out for it.
for face in sserife.fon sseriff.fon; do
  if [ -f "/usr/share/wine/fonts/$face" ] && [ -d "$WINEPREFIX/drive_c/windows/Fonts" ] &&
    [ ! -e "$WINEPREFIX/drive_c/windows/Fonts/$face" ]; then
    ln -s "/usr/share/wine/fonts/$face" "$WINEPREFIX/drive_c/windows/Fonts/$face" 2>/dev/null
  fi
done

# Drive Z: is the file system's root, a mount point, and for a volume's label
# Wine reads the block device under it, which neither a user nor a container
# may read: every program that asks (the file dialogs do, at each click)
# printed "Read access denied for device" on the terminal. The drive is given
# a device of its own naming, /dev/null (the "z::" link), which has no label
# to read and denies nothing; the drive itself stays the root.
if [ -L "$WINEPREFIX/dosdevices/z:" ] && [ ! -L "$WINEPREFIX/dosdevices/z::" ]; then
  ln -s /dev/null "$WINEPREFIX/dosdevices/z::" 2>/dev/null
fi

if [ -z "${DISPLAY:-}" ]; then
  if [ "$no_window" = 1 ]; then
    # Shared by every run without a window: one desktop, on the null driver.
    export FILTERHOST_DESKTOP=wine-run-no-display
  else
    # Xvfb writes the display number it took to descriptor 3 once it is ready.
    mkfifo "$run_dir/display"
    setsid -w Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$run_dir/display" >/dev/null 2>&1 &
    xvfb=$!
    if ! read -r number <"$run_dir/display" || [ "$interrupted" = 1 ]; then
      kill "$xvfb" 2>/dev/null
      wait_for "$xvfb"
      xvfb=""
      [ "$interrupted" = 0 ] || finish 1
      echo "wine-run: the virtual display (Xvfb) did not start" >&2
      finish 2
    fi
    listening=$(display_sockets)
    export DISPLAY=":$number"
    export FILTERHOST_DESKTOP="wine-run-$$"
    # Nobody sees this display: the host refuses to open a dialog that would
    # wait there for a person.
    export FILTERHOST_UNSEEN_DISPLAY=1
  fi
else
  # One desktop for the runs on this display, whose Wine process draws there.
  # A display that cannot be opened would leave the run's windows unseen and
  # the run waiting for a person: refused at once.
  if command -v xdotool >/dev/null 2>&1 && ! xdotool getdisplaygeometry >/dev/null 2>&1; then
    echo "wine-run: the display $DISPLAY cannot be opened; nothing run" >&2
    finish 2
  fi
  # Our host's own (other programs, such as test programs that start the
  # host themselves and look for its windows, stay on the default desktop).
  [ "$filterhost" = 0 ] ||
    export FILTERHOST_DESKTOP="wine-run-display$(printf '%s' "$DISPLAY" | tr -c 'A-Za-z0-9' '-')"
fi

# Runs in a row should find the Wine server and Wine's own processes already
# there (starting them is most of a cold run's time): a server this wrapper
# starts stays WINE_RUN_LINGER seconds (default 60; 0 leaves it to Wine) after
# its last program ends. A server already running is kept as it is. Wine's own
# processes (services.exe and those it starts) live as long as the server and
# inherit the descriptors of the program that started them: a trivial program
# with nothing open starts them here, so that none keeps the pipe or terminal
# of whoever ran this wrapper open for the next minute.
linger=${WINE_RUN_LINGER:-60}
case "$linger" in '' | *[!0-9]*) linger=60 ;; esac
if [ "$linger" -gt 0 ] && setsid wineserver -p"$linger" </dev/null >/dev/null 2>&1; then
  (
    exec 3>&- 4>&- 5>&- 6>&- 7>&- 8>&- 9>&-
    # Wine's services may open its default desktop, whose process then draws
    # through the display they had for the server's whole life: the caller's
    # (never a virtual display of this run's own, which ends with the run).
    if [ -n "$caller_display" ]; then export DISPLAY="$caller_display"; else unset DISPLAY; fi
    if [ -f "$bin/wine-desktop-hold.exe" ]; then
      setsid -w "$loader" "$bin/wine-desktop-hold.exe" --exit
    else
      setsid -w "$loader" cmd.exe /c exit
    fi
  ) </dev/null >/dev/null 2>&1 &
  wait_for $!
fi

# Wine ends its process for a desktop a second after the desktop's last
# window has gone, and a windowless run after a pause of a few seconds would
# start it again. So when no display is set, wine-desktop-hold.exe (beside
# the program, when built) keeps the windowless runs' desktop open until
# WINE_RUN_LINGER seconds have passed without a run starting or ending. One
# holder a prefix, kept by a shell that holds a lock from before it starts
# (so a free lock means no keeper, and any marker is a dead one's); each run
# renews a stamp. Keeper and holder run in a session of their own, in /, on
# none of our standard descriptors or 3 to 9. The holder says it holds by
# creating a marker, and a run waits for it (at most 5 s, and only while a
# keeper lives): a desktop process that a run's program started would carry
# that program's descriptors, and held open would keep its caller's pipes
# open. A run that finds no marker even so takes a desktop of its own, which
# no holder keeps. The keeper removes the marker before it ends the holder.
holder="$bin/wine-desktop-hold.exe"
stamp=""
if [ "$no_window" = 1 ] && [ -z "${DISPLAY:-}" ] && [ "$linger" -gt 0 ] && [ -f "$holder" ]; then
  stamp="$WINEPREFIX/wine-run-last"
  marker="$WINEPREFIX/wine-run-held"
  lock="$WINEPREFIX/wine-run-hold.lock"
  touch "$stamp"
  (
    flock -n 9 || exit 0
    rm -f "$marker"
    cd / || exit 0
    exec 3>&- 4>&- 5>&- 6>&- 7>&- 8>&-
    export WINE_RUN_HOLD_MARKER="Z:$marker"
    # shellcheck disable=SC2016
    setsid sh -c '
      hold=""
      trap '\''rm -f "$3"; [ -z "$hold" ] || kill "$hold" 2>/dev/null; exit 1'\'' INT TERM HUP
      "$1" "$2" 9>&- &
      hold=$!
      while kill -0 "$hold" 2>/dev/null && sleep 2 9>&-; do
        last=$(stat -c %Y "$4" 2>/dev/null) || break
        [ $(($(date +%s) - last)) -lt "$5" ] || break
      done
      rm -f "$3"
      kill "$hold" 2>/dev/null' keeper "$loader" "$holder" "$marker" "$stamp" "$linger" &
  ) 9>"$lock" </dev/null >/dev/null 2>&1
  tries=0
  while [ ! -f "$marker" ] && [ "$tries" -lt 100 ] && [ "$interrupted" = 0 ] &&
    ! flock -n "$lock" true 2>/dev/null; do
    sleep 0.05
    tries=$((tries + 1))
  done
  [ -f "$marker" ] || export FILTERHOST_DESKTOP="wine-run-$$"
fi

[ "$interrupted" = 0 ] || finish 1
setsid -w "$loader" "$program" "$@" &
pid=$!
wait_for "$pid"
# remove_temporaries: the temporaries the host noted that are still there;
# then written and total say how many of how many outputs are in place.
remove_temporaries() {
  journal=$FILTERHOST_JOURNAL_FILE
  written=0
  total=1
  [ -f "$journal" ] || return 0
  while IFS= read -r line; do
    case "$line" in
      "temp "*) [ ! -e "${line#temp }" ] || rm -f "${line#temp }" ;;
      "written "*) written=$((written + 1)) ;;
      "total "*) total=${line#total } ;;
    esac
  done <"$journal"
}
if [ "$filterhost" = 1 ] && [ ! -s "$FILTERHOST_STATUS_FILE" ]; then
  remove_temporaries
  if [ "$status" -gt 128 ]; then
    how="was ended by signal $(kill -l "$((status - 128))" 2>/dev/null || echo "$((status - 128))") (status $status)"
  elif [ "$status" = 0 ]; then
    how="was ended from outside before it finished (its Wine server stopped?)"
    status=2
  else
    how="ended with status $status before it finished"
  fi
  files="files"
  [ "$total" != 1 ] || files="file"
  echo "wine-run: $(basename "$program") $how; $written of $total $files written, nothing half-written left" >&2
fi
finish "$status"
