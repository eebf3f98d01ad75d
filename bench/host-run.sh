#!/bin/sh
# Builds the Windows tree this machine can run and times whole runs through
# our host against the engine alone (see bench/HostRunBenchmark.cpp).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
target=$("$top/scripts/windows-target.sh")
"$top/scripts/build.sh" "$target" >/dev/null
exec "$top/filterhost/wine/wine-run.sh" "$top/build/$target/bin/host_run_benchmark.exe"
