#!/bin/sh
# Installs what the build and the tests need on a Debian 12 machine, and
# nothing when it is all there already. Run as root.
#
# The Windows side is the MinGW-w64 i686 cross compiler and Wine (32-bit),
# with Xvfb for the windows the dialogs open. Some kernels are built without
# 32-bit execution; there the i386 Wine loader is run through qemu-user, which
# this script registers with binfmt_misc when a 32-bit program will not start.
set -eu

packages="cmake ninja-build g++ clang libclang-rt-14-dev googletest libgtest-dev
  libbenchmark-dev libstb-dev g++-mingw-w64-i686 libz-mingw-w64-dev
  wine wine32:i386 xvfb xauth xdotool qemu-user-static binfmt-support file"

missing=""
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    missing="update"
fi
for p in $packages; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
        missing="$missing $p"
    fi
done

if [ -n "$missing" ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    # shellcheck disable=SC2086
    apt-get install -y -q --no-install-recommends $packages
fi

# Can this kernel start a 32-bit program? /lib/ld-linux.so.2 comes with wine32.
if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    binfmt=/proc/sys/fs/binfmt_misc
    if [ ! -e "$binfmt/register" ]; then
        mount -t binfmt_misc binfmt_misc "$binfmt"
    fi
    if [ ! -e "$binfmt/qemu-i386" ]; then
        # Matches little-endian ELF32 executables and shared objects for i386.
        # Flag F keeps the interpreter open, so it works inside chroots too.
        printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
            > "$binfmt/register"
    fi
    if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
        echo "install-deps: this machine cannot run 32-bit programs, even through qemu" >&2
        exit 1
    fi
    echo "install-deps: 32-bit programs run through qemu-i386 on this kernel"
fi
