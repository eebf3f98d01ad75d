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
"$top/scripts/build.sh" "$target" --target products
"$top/scripts/build.sh" native --target examples

# A name ending in -16 filters the 16-bit sample with the same settings.
settings=${example%-16}
image="$top/build/native/examples/sample.png"
[ "$settings" = "$example" ] || image="$top/build/native/examples/sample16.png"
prm="$top/build/native/examples/$settings.prm"
[ -f "$prm" ] || { echo "demo: no example named '$example'" >&2; exit 2; }
mkdir -p "$top/out"
output="$top/out/$example.png"
plugin=$("$top/scripts/product-file.sh" "$top/build/$target/bin")
"$top/build/$target/bin/filterhost" run "$plugin" "$image" "$output" \
    --prm "$prm" --quiet
echo "input:      $image"
echo "parameters: $prm"
echo "output:     $output"
