#!/usr/bin/env bash
# Builds the benchmark (optimised, no sanitizers) in build/bench, runs the
# transfer worker and the bare writes of the same bytes, and reports both and
# their ratio, with the two figures that account for the difference.
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
median = {r["run_name"].replace("/manual_time", ""): r["real_time"]
          for r in results if r.get("aggregate_name") == "median"}
worker = median["BM_TransferWorker/254082"]
empty = median["BM_TransferWorker/0"]
raw = median["BM_RawWrites"]
messages = median["BM_ProgressMessages"]
ratio = worker / raw
verdict = "met" if ratio <= target else "not met"
print()
print(f"transfer worker, 254,082 bytes: {worker:7.2f} us")
print(f"bare writes of the same bytes:  {raw:7.2f} us")
print(f"ratio {ratio:.3f} (target {target}: {verdict})")
print(f"accounted for by: progress messages {messages:.2f} us, "
      f"worker with an empty image {empty:.2f} us")
print(f"left over (worker - writes - messages - empty-image worker): "
      f"{worker - raw - messages - empty:+.2f} us")
PY
