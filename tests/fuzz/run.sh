#!/usr/bin/env bash
# Runs the discovery fuzzer: tests/fuzz/run.sh BUILD_DIR SECONDS
# New inputs go to BUILD_DIR/fuzz/corpus, findings to BUILD_DIR/fuzz/findings;
# the seeds in tests/fuzz/corpus are only read.
set -euo pipefail
build=${1:?usage: run.sh BUILD_DIR SECONDS}
seconds=${2:?usage: run.sh BUILD_DIR SECONDS}
seeds="$(cd "$(dirname "$0")" && pwd)/corpus"
work="$build/fuzz"
mkdir -p "$work/corpus" "$work/findings"
exec "$build/discovery_fuzz" -max_total_time="$seconds" -max_len=4096 -timeout=20 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$work/findings/" \
    "$work/corpus" "$seeds"
