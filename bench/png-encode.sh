#!/bin/sh
# bench/png-encode.sh [--wine] [--rounds N] [--sides 1024,4096]
#
# Builds and runs png_encode_benchmark (bench/PngEncodeBenchmark.cpp): per
# image and per compression, our PNG writer's MPix/s and bytes against the
# writer before it filtered rows (zlib level 6, filter 0). Natively by
# default; --wine runs the Windows build under Wine instead. When gegl is
# installed, GEGL's png-save (libpng at its default compression, 3) then
# writes the same images, and its bytes are set beside our default's.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
if [ "${1:-}" = --wine ]; then
    shift
    target=$("$top/scripts/windows-target.sh")
    "$top/scripts/build.sh" "$target" >/dev/null
    exec "$top/filterhost/wine/wine-run.sh" --no-window "$top/build/$target/bin/png_encode_benchmark.exe" "$@"
fi
"$top/scripts/build.sh" native >/dev/null
work=$(mktemp -d "${TMPDIR:-/tmp}/png-encode.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$top/build/native/bench/png_encode_benchmark" --save "$work" "$@"
command -v gegl >/dev/null || exit 0

echo
echo "GEGL's png-save on the same images, against our default:"
printf '%-23s %11s %11s %8s\n' image "GEGL bytes" "our bytes" "ours/GEGL"
for ours in "$work"/*.png; do
    name=$(basename "$ours" .png)
    bits=$(echo "$name" | cut -d- -f2)
    # gegl with no -o would open a window to show its result.
    gegl -- gegl:load path="$ours" gegl:png-save path="$work/gegl.png" bitdepth="$bits" >/dev/null 2>&1
    theirs=$(stat -c %s "$work/gegl.png")
    mine=$(stat -c %s "$ours")
    printf '%-23s %11s %11s %8s\n' "$name" "$theirs" "$mine" "$(awk -v a="$mine" -v b="$theirs" 'BEGIN { printf "%.3f", a / b }')"
    rm -f "$work/gegl.png"
done
