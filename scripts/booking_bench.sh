#!/usr/bin/env bash
# Builds and runs the booking engine's benchmark (a year of daily occurrences saved with
# every check, against raw collision queries) on the folder's files and on a server: the
# one TEMBRIX_TEST_SERVER names, or a throw-away server started here and stopped at the end.
set -euo pipefail
here="$(dirname "$0")"
if [ -z "${TEMBRIX_TEST_SERVER:-}" ]; then
    if started=$("$here/pg_test_server.sh" start); then
        eval "$started"
        trap '"$here/pg_test_server.sh" stop "$TEMBRIX_TEST_SERVER_DIR"' EXIT
    else
        echo "booking_bench: no server could be started; the files are measured alone" >&2
    fi
fi
env BENCH=booking_bench "$here/bench.sh" "$@"
