#!/usr/bin/env bash
# The converter benchmark: a generated 3.1 data folder of 1,000,000 occurrences and
# 100,000 bookings converted, beside raw SQLite copying the same rows.
exec env BENCH=convert_bench "$(dirname "$0")/bench.sh" "$@"
