#!/usr/bin/env bash
# Builds a benchmark in release mode and runs it: the store benchmark, or the one named by
# BENCH (convert_bench). Its arguments go to the benchmark (for example
# --benchmark_filter=walk). TEMBRIX_BENCH_DIR names a folder that keeps the generated
# store between runs; JOBS limits the build's parallel jobs. The store and booking
# benchmarks measure a server beside the folder's files: the one TEMBRIX_TEST_SERVER names,
# or a throw-away server started here and stopped at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
bench="${BENCH:-store_bench}"
scripts/setup.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench --target "$bench" ${JOBS:+-j "$JOBS"}
if [ -z "${TEMBRIX_TEST_SERVER:-}" ] && [[ "$bench" == store_bench || "$bench" == booking_bench ]]; then
    if started=$(scripts/pg_test_server.sh start); then
        eval "$started"
        trap 'scripts/pg_test_server.sh stop "$TEMBRIX_TEST_SERVER_DIR"' EXIT
    else
        echo "bench: no server could be started; the folder's files are measured alone" >&2
    fi
fi
"build-bench/bench/$bench" "$@"
