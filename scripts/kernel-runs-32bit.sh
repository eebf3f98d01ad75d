#!/bin/sh
# Exits 0 when this kernel starts 32-bit x86 programs, 1 when it does not.
# It runs the smallest such program, written here byte by byte: an ELF header,
# one loadable segment and three instructions (exit(0) through int 0x80). It
# needs no 32-bit library, so it answers on a machine before anything 32-bit
# is installed (a 32-bit Wine is worth installing only where it can start).
set -u
dir=$(mktemp -d "${TMPDIR:-/tmp}/runs-32bit.XXXXXX") || exit 1
trap 'rm -rf "$dir"' EXIT
printf '\177\105\114\106\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\135\000\000\000\135\000\000\000\005\000\000\000\000\020\000\000\270\001\000\000\000\061\333\315\200' >"$dir/exit0"
chmod +x "$dir/exit0"
"$dir/exit0" 2>/dev/null || exit 1
