#!/bin/sh
# build.sh NAME [cmake options]: configures (once) and builds build/NAME.
# NAME is native, sanitize (native under AddressSanitizer and UBSan), i686 or
# x86_64; the last two are the Windows cross builds.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
name=$1
shift
case "$name" in
    native) toolchain="" ;;
    sanitize) toolchain="-DTAVIREL_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo" ;;
    i686|x86_64) toolchain="-DCMAKE_TOOLCHAIN_FILE=$top/cmake/mingw-$name.cmake" ;;
    *) echo "build.sh: unknown build '$name'" >&2; exit 2 ;;
esac
dir="$top/build/$name"
if [ ! -f "$dir/build.ninja" ]; then
    # shellcheck disable=SC2086
    cmake -S "$top" -B "$dir" -G Ninja $toolchain "$@" >/dev/null
fi
ninja -C "$dir" ${TAVIREL_QUIET_BUILD:+--quiet}
