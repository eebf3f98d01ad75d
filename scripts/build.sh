#!/bin/sh
# build.sh NAME [--target TARGET]... [cmake options]: configures and builds
# build/NAME, all of it or only the targets named. A tree that exists is
# configured again only when options are given, and then with them, so an
# option is never dropped for a tree made earlier.
# NAME is native, sanitize (native under AddressSanitizer and UBSan), i686 or
# x86_64; the last two are the Windows cross builds. Targets a caller names:
# "products" of a Windows tree (the plug-in and our host, not the tests) and
# "examples" of the native one (the sample images and parameter files).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
name=$1
shift
targets=""
while [ "${1:-}" = --target ]; do
    targets="$targets $2"
    shift 2
done
case "$name" in
    native) toolchain="" ;;
    sanitize) toolchain="-DTAVIREL_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo" ;;
    i686|x86_64) toolchain="-DCMAKE_TOOLCHAIN_FILE=$top/cmake/mingw-$name.cmake" ;;
    *) echo "build.sh: unknown build '$name'" >&2; exit 2 ;;
esac
dir="$top/build/$name"
if [ ! -f "$dir/build.ninja" ]; then
    # A configuration that failed (a compiler not yet installed) leaves a cache
    # whose compiler flags are empty, and a later one would build on it
    # unoptimised: every configuration starts from no cache.
    rm -rf "$dir/CMakeCache.txt" "$dir/CMakeFiles"
    # shellcheck disable=SC2086
    if ! cmake -S "$top" -B "$dir" -G Ninja $toolchain "$@" >/dev/null; then
        rm -rf "$dir/CMakeCache.txt" "$dir/CMakeFiles"
        exit 1
    fi
elif [ $# -gt 0 ]; then
    cmake -S "$top" -B "$dir" "$@" >/dev/null
fi
# shellcheck disable=SC2086
ninja -C "$dir" ${TAVIREL_QUIET_BUILD:+--quiet} $targets
