#!/usr/bin/env bash
# Builds and runs the booking engine's benchmark (a year of daily occurrences saved with
# every check, against raw collision queries) on the folder's files and on a server (see
# bench.sh).
set -euo pipefail
env BENCH=booking_bench "$(dirname "$0")/bench.sh" "$@"
