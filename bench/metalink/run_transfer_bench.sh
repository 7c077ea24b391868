#!/usr/bin/env bash
# Transfer benchmark: times the connector's import and export of generated part libraries on
# SQLite and PostgreSQL against each database's own bulk load of the same rows, then prints the
# closing table (rows per second, ratio to the bulk load, peak memory, growth with size).
#
#   bench/metalink/run_transfer_bench.sh [BUILD_DIR]      (default: build/ of this checkout)
#
# Settings, from the environment:
#   SIZES        parts per generated library           (default "1000 10000 100000")
#   DRIVERS      databases to run on                   (default "sqlite postgres")
#   OPS          cases to run                          (default "import reimport export bulk")
#   LIMIT        seconds a case may run before it is stopped (default 600); a stopped case stops
#                the same case at the larger sizes too
#   LOG_LEVEL    LogLevel of ODBCCon.ini for the measured operations (default info, as a fresh
#                install writes it: every statement is logged)
#   SQLITE_DSN_OPTIONS  extra lines for the SQLite DSNs, e.g. $'JournalMode=WAL\nSyncPragma=NORMAL'
#                (default none: the driver's defaults, a rollback journal synced at every commit)
#   WORK         directory for databases, libraries, logs and results (default: a new directory
#                in TMPDIR); results.txt and report.md stay, large files are removed unless KEEP=1
#
# Every case runs in a process of its own (its peak memory is that process's max RSS) against a
# fresh database: import (the library file into an empty database), reimport (the same file
# again into the imported database: every row an update, every link row replaced), export (option 3, the
# imported database, or the bulk-loaded one when the import was stopped, back into a library
# file), bulk (the same rows by the database's own bulk
# load: one transaction of prepared INSERTs on SQLite, COPY from server-side files on
# PostgreSQL). PostgreSQL is the throw-away server of scripts/pg-test-server.sh (on 127.0.0.1,
# started with fsync off).
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
bench=$build/bench/metalink/transfer_bench
syncmap=$root/bench/metalink/transfer_bench_syncmap.xml
sizes=${SIZES:-1000 10000 100000}
drivers=${DRIVERS:-sqlite postgres}
ops=" ${OPS:-import reimport export bulk} "
limit=${LIMIT:-600}
log_level=${LOG_LEVEL:-info}
odbc_lib=${EDA_ODBC_DRIVER_DIR:-/usr/lib/x86_64-linux-gnu/odbc}
tmp=${TMPDIR:-/tmp}

[ -x "$bench" ] || { echo "no $bench: build the target transfer_bench first" >&2; exit 1; }

work=${WORK:-$(mktemp -d "$tmp/transfer-bench.XXXXXX")}
mkdir -p "$work/db" "$work/logs" "$work/temp"
results=$work/results.txt
: >"$results"
# The server reads the COPY files itself, as another user: a directory it can reach.
staging=$(mktemp -d "$tmp/transfer-bench-copy.XXXXXX")
chmod 755 "$staging"
pg_state=$work/pg
pg_port=

cleanup() {
  if [ -n "$pg_port" ]; then "$root/scripts/pg-test-server.sh" stop "$pg_state" || true; fi
  rm -rf "$staging"
  if [ "${KEEP:-0}" != 1 ]; then
    rm -rf "$work/db"
    rm -f "$work"/*.xml "$work/temp/ODBCCon.log"
  fi
}
trap cleanup EXIT

case " $drivers " in
  *" postgres "*)
    "$root/scripts/pg-test-server.sh" start "$pg_state" >/dev/null
    pg_port=$(cat "$pg_state/port")
    ;;
esac

# The DSNs of the measured databases; ODBCINI alone finds them (drivers by path).
{
  for db in import bulk; do
    printf '[BenchSqlite_%s]\nDriver=%s/libsqlite3odbc.so\nDatabase=%s/db/%s.db\nTimeout=5000\n' \
      "$db" "$odbc_lib" "$work" "$db"
    [ -z "${SQLITE_DSN_OPTIONS:-}" ] || printf '%s\n' "$SQLITE_DSN_OPTIONS"
    printf '\n'
    if [ -n "$pg_port" ]; then
      printf '[BenchPostgres_%s]\nDriver=%s/psqlodbcw.so\nServername=127.0.0.1\nPort=%s\n' \
        "$db" "$odbc_lib" "$pg_port"
      printf 'Database=bench_%s\n\n' "$db"
    fi
  done
} >"$work/odbc.ini"
: >"$work/odbcinst.ini"
export ODBCINI=$work/odbc.ini ODBCSYSINI=$work
# The connector reads ODBCCon.ini from TEMP and logs to TEMP/ODBCCon.log.
export TEMP=$work/temp
printf 'LogLevel=%s\n' "$log_level" >"$work/temp/ODBCCon.ini"

psql_admin() {
  PGPASSWORD=eda PGOPTIONS="-c client_min_messages=warning" \
    psql -h 127.0.0.1 -p "$pg_port" -U eda -d postgres -v ON_ERROR_STOP=1 -q "$@"
}

fresh_databases() {
  local driver=$1
  if [ "$driver" = sqlite ]; then
    rm -f "$work"/db/import.db* "$work"/db/bulk.db*
  else
    for db in import bulk; do
      psql_admin -c "DROP DATABASE IF EXISTS bench_$db WITH (FORCE)" -c "CREATE DATABASE bench_$db"
    done
  fi
}

credentials() {
  if [ "$1" = postgres ]; then echo "--user eda --password eda"; else echo ""; fi
}

declare -A stopped=()

# run_case OP DRIVER PARTS ARGS...: one case in its own process, stopped at the time limit.
run_case() {
  local op=$1 driver=$2 parts=$3
  shift 3
  local log=$work/logs/$op-$driver-$parts.log
  case "$ops" in *" $op "*) ;; *) return 1 ;; esac
  if [ -n "${stopped[$op-$driver]:-}" ]; then
    echo "SKIPPED op=$op driver=$driver parts=$parts check=${stopped[$op-$driver]}" | tee -a "$results"
    return 1
  fi
  local rc=0
  timeout -k 10 "$limit" "$bench" "$op" --driver "$driver" --parts "$parts" "$@" \
    >>"$results" 2>"$log" || rc=$?
  if [ $rc -eq 0 ]; then
    tail -n 1 "$results"
    return 0
  fi
  local reached
  reached=$(grep '^progress' "$log" | tail -n 1 || true)
  if [ $rc -eq 124 ] || [ $rc -eq 137 ]; then
    stopped[$op-$driver]="after ${limit} s at $parts parts"
    echo "STOPPED op=$op driver=$driver parts=$parts seconds=$limit check=${reached:-no progress reported}" |
      tee -a "$results"
  else
    stopped[$op-$driver]="failed at $parts parts"
    echo "FAILED op=$op driver=$driver parts=$parts check=exit $rc, see $log" | tee -a "$results"
    tail -n 5 "$log" >&2
  fi
  return 1
}

for parts in $sizes; do
  library=$work/library-$parts.xml
  "$bench" generate --parts "$parts" --out "$library"
  for driver in $drivers; do
    dsn_prefix=BenchSqlite
    [ "$driver" = postgres ] && dsn_prefix=BenchPostgres
    fresh_databases "$driver"
    imported=0
    # shellcheck disable=SC2046
    run_case import "$driver" "$parts" --dsn "${dsn_prefix}_import" $(credentials "$driver") \
      --syncmap "$syncmap" --library "$library" && imported=1
    if [ $imported -eq 1 ]; then
      # shellcheck disable=SC2046
      run_case reimport "$driver" "$parts" --dsn "${dsn_prefix}_import" $(credentials "$driver") \
        --syncmap "$syncmap" --library "$library" || true
    fi
    bulk_loaded=0
    # shellcheck disable=SC2046
    run_case bulk "$driver" "$parts" --dsn "${dsn_prefix}_bulk" $(credentials "$driver") \
      --staging "$staging" && bulk_loaded=1
    # The export reads what the import wrote; when the import did not finish, the bulk-loaded
    # rows, which are the same rows (transfer_bench_test checks that).
    source=import
    if [ $imported -eq 0 ] && [ $bulk_loaded -eq 1 ]; then
      source=bulk
      echo "NOTE the $driver export of $parts parts read the bulk-loaded rows" | tee -a "$results"
    fi
    if [ $imported -eq 1 ] || [ $bulk_loaded -eq 1 ]; then
      # shellcheck disable=SC2046
      run_case export "$driver" "$parts" --dsn "${dsn_prefix}_$source" $(credentials "$driver") \
        --syncmap "$syncmap" --library "$work/export-$driver-$parts.xml" || true
    else
      echo "SKIPPED op=export driver=$driver parts=$parts check=no data" | tee -a "$results"
    fi
  done
  rm -f "$library"
done

echo
"$bench" report "$results" | tee "$work/report.md"
echo
echo "results: $results; case logs: $work/logs"
