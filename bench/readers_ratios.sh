#!/usr/bin/env bash
# Runs bench_readers with repetitions and prints the medians and the ratios
# of each reader to the plain read() of its file, all from the one run.
# Usage: bench/readers_ratios.sh [BUILD_DIR] [REPETITIONS]
set -euo pipefail
BUILD=${1:-build-rel}
REPS=${2:-9}
OUT=$(mktemp "${TMPDIR:-/tmp}/vorn-readers.XXXXXX.json")
trap 'rm -f "$OUT"' EXIT
"$BUILD/bench_readers" --benchmark_repetitions="$REPS" --benchmark_report_aggregates_only=true \
  --benchmark_format=json --benchmark_out="$OUT" >/dev/null
python3 - "$OUT" <<'EOF'
import json, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
us = {r["run_name"]: r["real_time"] * {"us": 1, "ms": 1000, "ns": 0.001}[r["time_unit"]]
      for r in runs if r.get("aggregate_name") == "median"}
for name, t in us.items():
    print("%-28s %9.1f us" % (name, t))
def ratio(a, b):
    print("%-28s %9.2f  (%s / %s)" % ("ratio", us[a] / us[b], a, b))
ratio("BM_Row", "BM_PlainRead_Matrix")
ratio("BM_Row", "BM_PlainReadBlocks_Matrix")
ratio("BM_MatrixRead", "BM_PlainRead_Matrix")
ratio("BM_FFRead_Sample", "BM_PlainRead_FFSample")
ratio("BM_FFRead_Random", "BM_PlainRead_FFRandom")
EOF
