#!/bin/sh
# Prints the Windows build that can run on this machine: "i686" (the product
# itself, under 32-bit Wine) when the kernel starts 32-bit programs, else
# "x86_64" (the same sources, under 64-bit Wine). TAVIREL_WINDOWS_TARGET overrides.
if [ -n "${TAVIREL_WINDOWS_TARGET:-}" ]; then
    echo "$TAVIREL_WINDOWS_TARGET"
elif /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    echo i686
else
    echo x86_64
fi
