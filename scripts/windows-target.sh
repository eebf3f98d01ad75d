#!/bin/sh
# Prints the Windows build that can run on this machine: "i686" (the product
# itself, under 32-bit Wine) when the kernel starts 32-bit programs and the
# 32-bit Wine is installed, else "x86_64" (the same sources, under 64-bit
# Wine). TAVIREL_WINDOWS_TARGET overrides.
here=$(cd "$(dirname "$0")" && pwd)
if [ -n "${TAVIREL_WINDOWS_TARGET:-}" ]; then
    echo "$TAVIREL_WINDOWS_TARGET"
elif [ -x /usr/lib/wine/wine ] && "$here/kernel-runs-32bit.sh"; then
    echo i686
else
    echo x86_64
fi
