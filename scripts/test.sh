#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
export QT_QPA_PLATFORM=offscreen
# The tests of the server store run on a throw-away PostgreSQL server of their own, stopped
# at the end. Without it they fail under CI (CI=true) and are skipped elsewhere.
if server_env=$(scripts/pg_test_server.sh start); then
    eval "$server_env"
    trap 'scripts/pg_test_server.sh stop "$TEMBRIX_TEST_SERVER_DIR"' EXIT
else
    echo "test: the PostgreSQL test server did not start; the server store is not tested" >&2
fi
ctest --test-dir build --output-on-failure -j2 --timeout 600
