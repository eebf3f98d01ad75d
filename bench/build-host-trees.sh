#!/bin/sh
# bench/build-host-trees.sh: brings up to date what the whole-run benchmarks
# use: the native tree's image maker (make-bench-png) and example settings,
# and the i686 tree's host, plug-in and desktop holder. A tree not yet
# configured is built whole by scripts/build.sh.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
for tree in native i686; do
    if [ -f "$top/build/$tree/build.ninja" ]; then
        ninja -C "$top/build/$tree" --quiet $([ $tree = native ] && echo make-bench-png examples ||
            echo filterhost Tavirel wine-desktop-hold) >/dev/null
    else
        TAVIREL_QUIET_BUILD=1 "$top/scripts/build.sh" "$tree" >/dev/null
    fi
done
