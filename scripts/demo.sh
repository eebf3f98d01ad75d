#!/bin/sh
# The main job: builds the plug-in and our filter host, then applies Tavirel
# with an example parameter file to the sample image and writes a PNG.
#   scripts/demo.sh [EXAMPLE]   EXAMPLE: red-to-teal (default), skin-safe-sky,
#                               green-to-gold, wide-to-grey, red-to-teal-16
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
example=${1:-red-to-teal}
if [ "$(id -u)" = 0 ]; then "$top/scripts/install-deps.sh"; fi

target=$("$top/scripts/windows-target.sh")
"$top/scripts/build.sh" "$target"
"$top/scripts/build.sh" native

image="$top/build/native/examples/sample.png"
case "$example" in
    *-16) image="$top/build/native/examples/sample16.png"; example=${example%-16} ;;
esac
prm="$top/build/native/examples/$example.prm"
[ -f "$prm" ] || { echo "demo: no example named '$example'" >&2; exit 2; }
mkdir -p "$top/out"
output="$top/out/$example$( [ "$image" = "${image%16.png}" ] || echo -16).png"
"$top/build/$target/bin/filterhost" run "$top/build/$target/bin/Tavirel.8bf" "$image" "$output" --prm "$prm"
echo "input:      $image"
echo "parameters: $prm"
echo "output:     $output"
