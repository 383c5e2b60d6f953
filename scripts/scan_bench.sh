#!/usr/bin/env bash
# Builds and runs the scans' benchmark (each scan's read and layout against raw range
# queries on 1,000,000 occurrences, and the redraw of a scan window offscreen).
exec env BENCH=scan_bench "$(dirname "$0")/bench.sh" "$@"
