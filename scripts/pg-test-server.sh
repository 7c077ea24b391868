#!/usr/bin/env bash
# A throw-away PostgreSQL server for the tests.
#
#   scripts/pg-test-server.sh start STATE_DIR   initdb + start on a free port of 127.0.0.1
#   scripts/pg-test-server.sh stop STATE_DIR    stop the server and remove its data
#
# STATE_DIR receives:
#   odbc.ini      the DSN "EdaTestPostgres" (database "postgres", user and password below; the
#                 driver by path, so that ODBCINI=STATE_DIR/odbc.ini is all a client needs)
#   odbcinst.ini  the drivers the tests use, by full path (for ODBCSYSINI=STATE_DIR)
#   port, datadir the server's port and data directory (the data lives under /tmp, owned by the
#                 postgres user, since initdb refuses to run as root)
# The login role is "eda" with password "eda"; TCP logins need the password (scram-sha-256), so
# a wrong password is refused as it would be on a real server.
set -euo pipefail

usage() { echo "usage: $0 start|stop STATE_DIR" >&2; exit 2; }
[ $# -eq 2 ] || usage
action=$1
state=$2
bin=${EDA_PG_BIN:-/usr/lib/postgresql/15/bin}
odbc_lib=${EDA_ODBC_DRIVER_DIR:-/usr/lib/x86_64-linux-gnu/odbc}
user=eda
password=eda

as_postgres() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

port_in_use() {
  ss -Hltn "sport = :$1" 2>/dev/null | grep -q .
}

free_port() {
  local port
  for _ in $(seq 1 200); do
    port=$((20000 + RANDOM % 20000))
    if ! port_in_use "$port"; then
      echo "$port"
      return 0
    fi
  done
  echo "no free port found" >&2
  return 1
}

stop_server() {
  [ -f "$state/datadir" ] || return 0
  local data
  data=$(cat "$state/datadir")
  if [ -d "$data/data" ]; then
    as_postgres "$bin/pg_ctl" -D "$data/data" -m immediate -w stop >/dev/null 2>&1 || true
  fi
  case "$data" in
    /tmp/eda-pg.*) rm -rf "$data" ;;
  esac
  rm -f "$state/datadir" "$state/port" "$state/odbc.ini"
}

write_odbc_files() {
  local port=$1
  cat >"$state/odbcinst.ini" <<EOF
[EdaPostgreSQL]
Description=PostgreSQL Unicode driver for the tests
Driver=$odbc_lib/psqlodbcw.so

[EdaSQLite3]
Description=SQLite3 driver for the tests
Driver=$odbc_lib/libsqlite3odbc.so
EOF
  cat >"$state/odbc.ini.tmp" <<EOF
[EdaTestPostgres]
Driver=$odbc_lib/psqlodbcw.so
Servername=127.0.0.1
Port=$port
Database=postgres
Username=$user
Password=$password
EOF
  mv "$state/odbc.ini.tmp" "$state/odbc.ini"
}

start_server() {
  mkdir -p "$state"
  stop_server
  local data port
  data=$(mktemp -d /tmp/eda-pg.XXXXXX)
  echo "$data" >"$state/datadir"
  chmod 755 "$data"
  [ "$(id -u)" -ne 0 ] || chown postgres:postgres "$data"
  printf '%s\n' "$password" >"$data/pwfile"
  [ "$(id -u)" -ne 0 ] || chown postgres:postgres "$data/pwfile"
  as_postgres "$bin/initdb" -D "$data/data" -U "$user" --pwfile="$data/pwfile" \
    --auth-local=trust --auth-host=scram-sha-256 -E UTF8 --locale=C.UTF-8 >"$data/initdb.log" 2>&1 ||
    { cat "$data/initdb.log" >&2; return 1; }
  for attempt in 1 2 3; do
    port=$(free_port)
    if as_postgres "$bin/pg_ctl" -D "$data/data" -l "$data/server.log" -w -t 60 \
      -o "-p $port -h 127.0.0.1 -k $data -F -c max_connections=100" start >/dev/null; then
      echo "$port" >"$state/port"
      write_odbc_files "$port"
      echo "PostgreSQL test server on 127.0.0.1:$port (state in $state)"
      return 0
    fi
    echo "start attempt $attempt on port $port failed" >&2
  done
  cat "$data/server.log" >&2 || true
  return 1
}

case "$action" in
  start) start_server ;;
  stop) stop_server ;;
  *) usage ;;
esac
