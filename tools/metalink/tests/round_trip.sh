#!/usr/bin/env bash
# round_trip.sh METALINK EXAMPLES_DIR VERSION: the tool's commands against a SQLite data source of
# its own, with their exit statuses and messages.
set -uo pipefail
tool=$1 examples=$2 version=$3
source "$(dirname "$0")/tool_checks.sh" metalink-tool
cat > "$dir/odbc.ini" <<INI
[ToolTest]
Driver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so
Database=$dir/parts.db
INI

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
grep -q 'itemId="R-10K-0603"' "$dir/out.xml" || fail "export content"
expect 1 "export with option 0" "$tool" export --dsn ToolTest --syncmap "$examples/EDASyncMap.xml" \
  --library "$dir/never.xml" --option 0
expect_output "See the log file" "a failed export names the log file"
printf 'previous library\n' > "$dir/kept.xml"
expect 1 "export with a reference library that does not exist" "$tool" export --dsn ToolTest \
  --syncmap "$examples/EDASyncMap.xml" --library "$dir/kept.xml" --reference "$dir/none.xml"
expect_output "The export failed." "a failed export says so"
[ "$(cat "$dir/kept.xml")" = "previous library" ] || fail "a failed export changed the library"
expect 1 "export into a directory that does not exist" "$tool" export --dsn ToolTest \
  --syncmap "$examples/EDASyncMap.xml" --library "$dir/no-such-dir/out.xml"
# A log file that cannot be written: one warning line on standard error, and the import goes on.
"$tool" import --dsn ToolTest --syncmap "$examples/EDASyncMap.xml" --library "$examples/EDALib.xml" \
  --log "$dir/missing/import.log" > "$dir/stdout" 2> "$dir/stderr"
status=$?
want_err="metalink: warning: cannot write the log file $dir/missing/import.log (No such file or directory); going on without a log"
# (Only our lines count: a sanitizer runtime may add its own report at exit.)
if [ "$status" -ne 0 ] || ! head -n 1 "$dir/stderr" | cmp -s - <(printf '%s\n' "$want_err") \
  || [ "$(grep -c '^metalink' "$dir/stderr")" -ne 1 ] \
  || [ "$(cat "$dir/stdout")" != "Imported $examples/EDALib.xml" ]; then
  echo "FAILED: import with an unwritable log (exit $status)"; cat "$dir/stdout" "$dir/stderr"
  failures=$((failures + 1))
else
  echo "ok: import with an unwritable log"
fi
expect 2 "missing required option" "$tool" import --dsn ToolTest
expect 2 "a sync map that does not exist" "$tool" import --dsn ToolTest --syncmap "$dir/none.xml" --library "$examples/EDALib.xml"
expect 2 "a library path that is not UTF-8" "$tool" export --dsn ToolTest \
  --syncmap "$examples/EDASyncMap.xml" --library "$dir/lib"$'\xff'".xml"
expect_output "is not valid UTF-8" "the path is refused with its reason"
[ -z "$(find "$dir" -name 'lib*')" ] || fail "a file was written under another name"

finish
