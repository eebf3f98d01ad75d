#!/bin/sh
# Runs the transform benchmark (building it first) and prints MPix/s for each
# benchmark and each transform's ratio to the one-lookup-per-sample limit
# (BM_Lut8 for 8-bit, BM_Lut16 for 16-bit).
#   bench/transform-table.sh [benchmark options, e.g. --benchmark_repetitions=3]
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/build.sh" native >/dev/null
json=$(mktemp)
trap 'rm -f "$json"' EXIT
"$top/build/native/bench/transform_benchmark" --benchmark_format=json "$@" > "$json"
python3 - "$json" <<'PY'
import json, sys
runs = [b for b in json.load(open(sys.argv[1]))["benchmarks"] if b.get("run_type", "iteration") == "iteration"]
rate = {}
for b in runs:
    rate.setdefault(b["name"], []).append(b["items_per_second"] / 1e6)
best = {name: max(values) for name, values in rate.items()}
print(f"{'benchmark':28} {'MPix/s':>9} {'ratio':>7}  path")
for b in runs:
    if b["name"] in best and best[b["name"]] is not None:
        name = b["name"]
        limit = "BM_Lut16" if "16" in name else "BM_Lut8"
        ratio = f"{best[name] / best[limit]:.3f}" if name.startswith("BM_Transform") and limit in best else ""
        print(f"{name:28} {best[name]:9.1f} {ratio:>7}  {b.get('label', '')}")
        best[name] = None
PY
