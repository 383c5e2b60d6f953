#!/usr/bin/env bash
# Builds and runs the alerts' and the purge's benchmark (the alert search, and the batch
# delete of about 500,000 of 1,000,000 occurrences, against raw SQLite, on copies of the
# benchmark store).
exec env BENCH=delete_bench "$(dirname "$0")/bench.sh" "$@"
