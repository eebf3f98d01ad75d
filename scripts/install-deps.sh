#!/bin/sh
# Installs what the build, the tests and the benchmarks (GNU time, GEGL as the
# peer of bench/versus-gegl.sh) need on a Debian 12 machine, and
# nothing when it is all there already. Run as root.
#
# The plug-in is built with the MinGW-w64 i686 cross compiler and runs under
# Wine (32-bit), windows on Xvfb, with Wine's own fonts (fonts-wine, a
# recommendation of wine's that --no-install-recommends leaves out). Some kernels are built without 32-bit
# execution; there the same sources are also built with the x86-64 cross
# compiler and run under the 64-bit Wine (scripts/windows-target.sh decides).
set -eu

packages="cmake ninja-build g++ clang clang-format libclang-rt-14-dev googletest libgtest-dev
  libbenchmark-dev libstb-dev zlib1g-dev xvfb xauth xdotool
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev
  wine wine32:i386 wine64 fonts-wine time gegl"

missing=""
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    missing="i386"
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
