#!/usr/bin/env bash
# Builds the benchmark (optimised, no sanitizers) in build/bench, runs the
# transfer worker and the bare writes of the same bytes, and reports the ratio.
set -euo pipefail
cd "$(dirname "$0")/../.."

BUILD=build/bench
TARGET_RATIO=1.05
REPETITIONS=${BENCH_REPETITIONS:-10}

cmake -S tests/bench -B "$BUILD" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$BUILD" -j 2 >/dev/null

"$BUILD/transfer_bench" --benchmark_repetitions="$REPETITIONS" \
    --benchmark_report_aggregates_only=true \
    --benchmark_out="$BUILD/transfer_bench.json" --benchmark_out_format=json

/usr/bin/python3 - "$BUILD/transfer_bench.json" "$TARGET_RATIO" <<'PY'
import json
import sys

results = json.load(open(sys.argv[1]))["benchmarks"]
target = float(sys.argv[2])
median = {r["run_name"].split("/")[0]: r["real_time"]
          for r in results if r.get("aggregate_name") == "median"}
worker = median["BM_TransferWorker"]
raw = median["BM_RawWrites"]
messages = median["BM_ProgressMessages"]
ratio = worker / raw
print(f"transfer worker {worker:.2f} us, bare writes {raw:.2f} us: ratio {ratio:.3f} "
      f"(target {target}: {'met' if ratio <= target else 'NOT met'})")
print(f"progress messages alone {messages:.2f} us; worker / (writes + messages) = "
      f"{worker / (raw + messages):.3f}")
PY
