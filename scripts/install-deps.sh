#!/bin/sh
# Installs what the build, the tests and the benchmarks (GNU time, GEGL as the
# peer of bench/versus-gegl.sh) need on a Debian 12 machine, and
# nothing when it is all there already. Run as root.
#
# Both products are built with the MinGW-w64 cross compilers. The i686 one runs
# under the 32-bit Wine where the kernel starts 32-bit programs; some kernels
# are built without that, and there the 32-bit Wine (with the whole i386
# architecture beneath it) is not installed at all: the x86-64 product runs
# under the 64-bit Wine instead (scripts/windows-target.sh decides). Windows
# are on Xvfb, with Wine's own fonts (fonts-wine, a recommendation of wine's
# that --no-install-recommends leaves out).
set -eu
here=$(cd "$(dirname "$0")" && pwd)

packages="cmake ninja-build g++ clang clang-format libclang-rt-14-dev googletest libgtest-dev
  libbenchmark-dev libstb-dev zlib1g-dev xvfb xauth xdotool
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev
  wine wine64 fonts-wine time gegl"

missing=""
if "$here/kernel-runs-32bit.sh"; then
    packages="$packages wine32:i386"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
        missing="i386"
    fi
fi
for p in $packages; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
        missing="$missing $p"
    fi
done

if [ -n "$missing" ]; then
    echo "install-deps: installing$missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    # shellcheck disable=SC2086
    apt-get install -y -q --no-install-recommends $packages
fi
