#!/usr/bin/env bash
# Builds the store benchmark in release mode and runs it; its arguments go to the
# benchmark (for example --benchmark_filter=walk). TEMBRIX_BENCH_DIR names a folder that
# keeps the generated store between runs; JOBS limits the build's parallel jobs.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench --target store_bench ${JOBS:+-j "$JOBS"}
exec build-bench/bench/store_bench "$@"
