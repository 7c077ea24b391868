#!/usr/bin/env bash
# data_sources.sh METALINK EXAMPLES_DIR SQLITE_DRIVER: the three ways to name the database
# (--sqlite, --connect, --dsn) with no odbc.ini entry at all, on a file whose path has blanks and
# non-ASCII characters; and the import's dry run, which leaves the file byte for byte as it was.
set -uo pipefail
tool=$1 examples=$2 driver=$3
source "$(dirname "$0")/tool_checks.sh" metalink-sources
db="$dir/Teile und Bauteile/Übersicht März.db"
mkdir -p "$(dirname "$db")"

expect 0 "import into a new SQLite file" "$tool" import --sqlite "$db" \
  --syncmap "$examples/EDASyncMap.xml" --library "$examples/EDALib.xml"
[ -s "$db" ] || fail "the database file was made under its own name"
# Bytes 18 and 19 of a SQLite file are 2 once its journal is in WAL mode.
[ "$(od -An -tu1 -j18 -N2 "$db" | tr -s ' ')" = " 2 2" ] || fail "the journal is in WAL mode"
expect 0 "tables of the SQLite file" "$tool" tables --sqlite "$db"
expect_output "Resistors" "the imported tables are listed"
expect 0 "export from the SQLite file" "$tool" export --sqlite "$db" \
  --syncmap "$examples/EDASyncMap.xml" --library "$dir/out.xml"
grep -q 'itemId="R-10K-0603"' "$dir/out.xml" || fail "the export holds the imported items"

expect 0 "check through a connection string" "$tool" check --connect "DRIVER=$driver;Database=$db"
expect 0 "columns through a connection string" "$tool" columns \
  --connect "Driver=$driver;Database=$db" --table Capacitors
expect_output "Capacitance" "the mapped columns are listed"
expect 1 "a connection string whose driver does not exist" "$tool" check \
  --connect "DRIVER=$dir/no-such-driver.so;Database=$db;PWD=Geheimnis"
expect_output "See the log file" "the failure names the log file"
if grep -q "Geheimnis" "$dir"/*.log; then fail "a password in the connection string reached the log"; fi

# Dry runs: on a fresh database every row is new; after the import every row is as it is.
fresh="$dir/fresh.db"
expect 0 "a fresh database" "$tool" check --sqlite "$fresh"
cp "$fresh" "$dir/fresh.before"
expect 0 "dry run on a fresh database" "$tool" import --dry-run --sqlite "$fresh" \
  --syncmap "$examples/EDASyncMap.xml" --library "$examples/EDALib.xml"
expect_output "Dry run: nothing was written." "the dry run says so"
grep -Eq '^Resistors \(new\) +5 +[0-9]+ +0 +0 +[1-9]' "$dir/out" || fail "5 new resistors: $(cat "$dir/out")"
cmp -s "$fresh" "$dir/fresh.before" || fail "the dry run changed the fresh database"
cp "$db" "$dir/imported.before"
expect 0 "dry run on the imported database" "$tool" import -n --sqlite "$db" \
  --syncmap "$examples/EDASyncMap.xml" --library "$examples/EDALib.xml"
grep -Eq '^Resistors +0 +0 +6 +([0-9]+) +\1$' "$dir/out" || fail "6 resistors as they are: $(cat "$dir/out")"
cmp -s "$db" "$dir/imported.before" || fail "the dry run changed the imported database"
expect 1 "dry run on a file that does not exist" "$tool" import -n --sqlite "$dir/none.db" \
  --syncmap "$examples/EDASyncMap.xml" --library "$examples/EDALib.xml"
[ ! -e "$dir/none.db" ] || fail "the dry run created the file"

expect 2 "a SQLite path with ';'" "$tool" check --sqlite "$dir/a;b.db"
expect_output "';'" "the reason is given"
expect 2 "two data sources" "$tool" check --dsn Parts --sqlite "$db"
expect 2 "no data source" "$tool" tables
expect 2 "a connection string without '='" "$tool" check --connect "Parts"

finish
