#!/usr/bin/env bash
# Builds and runs the booking engine's benchmark (a year of daily occurrences saved with
# every check, against raw SQLite collision queries).
exec env BENCH=booking_bench "$(dirname "$0")/bench.sh" "$@"
