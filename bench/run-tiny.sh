#!/usr/bin/env bash
# Runs one benchmark program on a tiny input. Passes when it exits 0 and
# writes a JSON document whose every series holds finite samples; the
# figures themselves are never judged here.
set -euo pipefail
exe=$1
out=$2
root=$(cd "$(dirname "$0")/.." && pwd)
rm -f "$out"
"$root/tools/wine-test-run" "$exe" --tiny --out "Z:$out"
python3 - "$out" <<'CHECK'
import json, math, sys
with open(sys.argv[1]) as f:
    document = json.load(f)
series = document["series"]
if not series:
    sys.exit("no series written")
for name, data in series.items():
    values = data["values"]
    if not values or any(v is None or not math.isfinite(v) for v in values):
        sys.exit(f"series {name} is empty or holds a non-finite sample")
print(f"{document['program']}: {len(series)} series")
CHECK
