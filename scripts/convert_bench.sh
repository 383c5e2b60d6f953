#!/usr/bin/env bash
# Builds the converter benchmark in release mode and runs it: a generated 3.1 data folder
# of 1,000,000 occurrences and 100,000 bookings converted, beside raw SQLite copying the
# same rows. Its arguments go to the benchmark; JOBS limits the build's parallel jobs.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench --target convert_bench ${JOBS:+-j "$JOBS"}
exec build-bench/bench/convert_bench "$@"
