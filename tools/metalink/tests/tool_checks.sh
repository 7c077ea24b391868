# Sourced by the tool's shell tests (tool_checks.sh NAME): a private directory $dir under TMPDIR
# (removed at exit) that holds empty ODBC configuration files and the tool's TEMP, and the checks
# every script uses. The script calls `finish` last.
dir=$(mktemp -d "${TMPDIR:-/tmp}/$1.XXXXXX") || exit 1
trap 'rm -rf "$dir"' EXIT
: > "$dir/odbc.ini"
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
fail() { echo "FAILED: $1"; failures=$((failures + 1)); }
finish() {
  if [ "$failures" -ne 0 ]; then echo "$failures check(s) failed"; exit 1; fi
  echo "all checks passed"
}
