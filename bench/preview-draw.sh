#!/bin/sh
# Builds the Windows tree this machine can run and times full redraws of the
# preview against a bare draw of as many pixels (see bench/PreviewBenchmark.cpp).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
target=$("$top/scripts/windows-target.sh")
"$top/scripts/build.sh" "$target" >/dev/null
exec "$top/filterhost/wine/wine-run.sh" "$top/build/$target/bin/preview_benchmark.exe"
