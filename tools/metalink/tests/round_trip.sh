#!/usr/bin/env bash
# round_trip.sh METALINK EXAMPLES_DIR VERSION: the tool's commands against a SQLite data source of
# its own, with their exit statuses and messages.
set -uo pipefail
tool=$1 examples=$2 version=$3
dir=$(mktemp -d /tmp/metalink-tool.XXXXXX)
trap 'rm -rf "$dir"' EXIT
cat > "$dir/odbc.ini" <<INI
[ToolTest]
Driver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so
Database=$dir/parts.db
INI
: > "$dir/odbcinst.ini"
export ODBCINI=$dir/odbc.ini ODBCSYSINI=$dir TEMP=$dir
failures=0
expect() {  # expect STATUS DESCRIPTION COMMAND...
  local want=$1 what=$2; shift 2
  "$@" > "$dir/out" 2>&1
  local got=$?
  if [ "$got" -ne "$want" ]; then
    echo "FAILED: $what (exit $got, wanted $want)"; cat "$dir/out"; failures=$((failures + 1))
  else
    echo "ok: $what"
  fi
}
expect_output() {  # expect_output TEXT DESCRIPTION
  if ! grep -qF -- "$1" "$dir/out"; then
    echo "FAILED: $2: no '$1' in"; cat "$dir/out"; failures=$((failures + 1))
  fi
}

expect 0 "help" "$tool" --help
expect_output "import" "the help names the commands"
expect 0 "version" "$tool" --version
expect_output "metalink $version" "the version is the project's"
expect 0 "check" "$tool" check --dsn ToolTest
expect 1 "check of an unknown data source" "$tool" check --dsn NoSuchSource
expect_output "See the log file: $dir/ODBCCon.log" "a failure names the log file"
expect 0 "import" "$tool" import --dsn ToolTest --syncmap "$examples/EDASyncMap.xml" \
  --library "$examples/EDALib.xml"
expect 0 "tables" "$tool" tables --dsn ToolTest
expect_output "Resistors" "the imported tables are listed"
expect 0 "columns" "$tool" columns --dsn ToolTest --table Resistors
expect_output "PartNumber" "the mapped columns are listed"
expect 0 "sources" "$tool" sources
expect_output "ToolTest" "the data source is listed"
expect 0 "export" "$tool" export --dsn ToolTest --syncmap "$examples/EDASyncMap.xml" \
  --library "$dir/out.xml"
grep -q 'itemId="R-10K-0603"' "$dir/out.xml" || { echo "FAILED: export content"; failures=$((failures + 1)); }
expect 1 "export with option 0" "$tool" export --dsn ToolTest --syncmap "$examples/EDASyncMap.xml" \
  --library "$dir/never.xml" --option 0
expect_output "See the log file" "a failed export names the log file"
printf 'previous library\n' > "$dir/kept.xml"
expect 1 "export with a reference library that does not exist" "$tool" export --dsn ToolTest \
  --syncmap "$examples/EDASyncMap.xml" --library "$dir/kept.xml" --reference "$dir/none.xml"
expect_output "The export failed." "a failed export says so"
[ "$(cat "$dir/kept.xml")" = "previous library" ] || { echo "FAILED: a failed export changed the library"; failures=$((failures + 1)); }
expect 1 "export into a directory that does not exist" "$tool" export --dsn ToolTest \
  --syncmap "$examples/EDASyncMap.xml" --library "$dir/no-such-dir/out.xml"
expect 2 "missing required option" "$tool" import --dsn ToolTest
expect 2 "a sync map that does not exist" "$tool" import --dsn ToolTest --syncmap "$dir/none.xml" --library "$examples/EDALib.xml"

if [ "$failures" -ne 0 ]; then echo "$failures check(s) failed"; exit 1; fi
echo "all checks passed"
