#!/usr/bin/env bash
# The main job on the embedded SQLite default: installs what is missing, builds, imports the
# sample library through the sample mapping into a SQLite database, exports it back to a new
# library file, and prints what was transferred. Everything lives under build/demo.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build"

demo=$root/build/demo
rm -rf "$demo"
mkdir -p "$demo"
# A DSN of our own: nothing to configure system-wide. WAL keeps the file consistent if the
# process dies and lets readers in while a transfer writes; NORMAL sync is safe with WAL.
cat > "$demo/odbc.ini" <<INI
[MetalinkDemo]
Driver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so
Database=$demo/parts.db
JournalMode=WAL
SyncPragma=NORMAL
Timeout=10000
INI
: > "$demo/odbcinst.ini"
export ODBCINI=$demo/odbc.ini ODBCSYSINI=$demo TEMP=$demo

tool=$root/build/tools/metalink/metalink
echo "== import examples/EDALib.xml into $demo/parts.db"
"$tool" import --dsn MetalinkDemo --syncmap "$root/examples/EDASyncMap.xml" \
  --library "$root/examples/EDALib.xml"
echo "== export back to $demo/EDALib.xml"
"$tool" export --dsn MetalinkDemo --syncmap "$root/examples/EDASyncMap.xml" \
  --library "$demo/EDALib.xml" --option 3

echo "== rows in the database"
for table in $("$tool" tables --dsn MetalinkDemo); do
  case "$table" in sqlite_*) continue ;; esac
  count=$(echo "SELECT COUNT(*) FROM \"$table\"" | isql -b -d, MetalinkDemo 2>/dev/null | tr -dc '0-9')
  printf '  %-12s %s\n' "$table" "${count:-?}"
done
echo "== objects in the exported library"
for element in item gde dataset attr relation; do
  printf '  %-12s %s\n' "$element" "$(grep -o "<ecad:$element " "$demo/EDALib.xml" | wc -l)"
done
echo "Log: $demo/ODBCCon.log"
