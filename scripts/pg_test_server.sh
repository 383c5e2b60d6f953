#!/usr/bin/env bash
# Starts or stops a throw-away PostgreSQL server for the tests that run on a server store:
# a cluster in a temporary folder, listening only on a Unix socket in that folder, run by an
# unprivileged user (the server refuses to run as root; as root the user tembrixpg is made
# when missing).
#
#   eval "$(scripts/pg_test_server.sh start)"   # exports TEMBRIX_TEST_SERVER(_DIR)
#   scripts/pg_test_server.sh stop "$TEMBRIX_TEST_SERVER_DIR"
set -euo pipefail

bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [ -z "$bindir" ] || [ ! -x "$bindir/initdb" ]; then
    echo "pg_test_server: no PostgreSQL server is installed (scripts/setup.sh installs it)" >&2
    exit 1
fi

# Runs a command line as the cluster's owner.
as_owner() {
    if [ "$(id -u)" -eq 0 ]; then
        su -s /bin/sh "$owner" -c "$1"
    else
        sh -c "$1"
    fi
}

case "${1:-}" in
start)
    dir=$(mktemp -d /tmp/tembrix-pg-XXXXXX)
    owner=$(id -un)
    if [ "$(id -u)" -eq 0 ]; then
        owner=tembrixpg
        id -u "$owner" >/dev/null 2>&1 ||
            useradd --system --no-create-home --shell /usr/sbin/nologin "$owner"
        chown "$owner" "$dir"
    fi
    if ! as_owner "'$bindir/initdb' -D '$dir/data' -A trust -U tembrix --no-sync \
            -E SQL_ASCII --locale=C" >"$dir/initdb.log" 2>&1; then
        cat "$dir/initdb.log" >&2
        rm -rf "$dir"
        exit 1
    fi
    # Durability is of no use to a cluster that is thrown away.
    options="-c listen_addresses='' -c unix_socket_directories='$dir' -c fsync=off"
    options+=" -c synchronous_commit=off -c full_page_writes=off -c max_connections=100"
    if ! as_owner "'$bindir/pg_ctl' -D '$dir/data' -l '$dir/server.log' -w -t 60 \
            -o \"$options\" start" >/dev/null 2>&1; then
        cat "$dir/server.log" >&2 || true
        rm -rf "$dir"
        exit 1
    fi
    echo "export TEMBRIX_TEST_SERVER='host=$dir user=tembrix'"
    echo "export TEMBRIX_TEST_SERVER_DIR='$dir'"
    ;;
stop)
    dir=${2:?usage: pg_test_server.sh stop DIR}
    [ -d "$dir/data" ] || exit 0
    owner=$(stat -c %U "$dir")
    as_owner "'$bindir/pg_ctl' -D '$dir/data' -m immediate -w stop" >/dev/null 2>&1 || true
    rm -rf "$dir"
    ;;
*)
    echo "usage: pg_test_server.sh start | stop DIR" >&2
    exit 2
    ;;
esac
