#!/usr/bin/env bash
# Builds a benchmark in release mode and runs it: the store benchmark, or the one named by
# BENCH (convert_bench). Its arguments go to the benchmark (for example
# --benchmark_filter=walk). TEMBRIX_BENCH_DIR names a folder that keeps the generated
# store between runs; JOBS limits the build's parallel jobs.
set -euo pipefail
cd "$(dirname "$0")/.."
bench="${BENCH:-store_bench}"
scripts/setup.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench --target "$bench" ${JOBS:+-j "$JOBS"}
exec "build-bench/bench/$bench" "$@"
