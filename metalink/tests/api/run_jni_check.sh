#!/usr/bin/env bash
# run_jni_check.sh JAVA CLASSPATH LIBMETALINK EXAMPLES_DIR
# Runs the Java check of the natives against a SQLite data source of its own.
set -euo pipefail
java=$1 classpath=$2 library=$3 examples=$4
dir=$(mktemp -d "${TMPDIR:-/tmp}/metalink-jni.XXXXXX")
trap 'rm -rf "$dir"' EXIT
cat > "$dir/odbc.ini" <<INI
[MetalinkJni]
Driver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so
Database=$dir/parts.db
INI
for i in $(seq 0 99); do
  printf '[MetalinkJniExtra%d]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so\nDatabase=%s/extra.db\n' \
    "$i" "$dir" >> "$dir/odbc.ini"
done
: > "$dir/odbcinst.ini"
# The SQLite driver takes text in the process's character set: the host runs in UTF-8.
export ODBCINI=$dir/odbc.ini ODBCSYSINI=$dir TEMP=$dir LANG=C.UTF-8 LC_ALL=C.UTF-8
exec "$java" -Xcheck:jni -Dfile.encoding=UTF-8 -Dsun.jnu.encoding=UTF-8 -cp "$classpath" \
  com.morvane.eda.odbccon_jni.ODBCConWrapperCheck "$library" "$examples" "$dir"
