#!/usr/bin/env bash
# package-check.sh BUILD_DIR: makes the Debian packages from BUILD_DIR (scripts/package.sh),
# checks them with lintian (errors fail, warnings are shown), installs them with apt, uses what
# they installed from outside the source tree (a C program through pkg-config, a CMake project
# through find_package, a Java class through the jar and the natives' bare names, the metalink
# tool and its manual on the sample library) and removes them again, also when a step fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -eq 1 ] || { echo "usage: $0 BUILD_DIR" >&2; exit 2; }
build=$1
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"

echo "== Debian packages"
mapfile -t debs < <("$root/scripts/package.sh" "$build")
printf '  %s\n' "${debs[@]##*/}"
names=()
for deb in "${debs[@]}"; do names+=("$(dpkg-deb -f "$deb" Package)"); done
version=$(dpkg-deb -f "${debs[0]}" Version)
version=${version%-*}

echo "== lintian"
lintian --fail-on error --tag-display-limit 0 "${debs[@]}"

work=$(mktemp -d /tmp/eda-package-check.XXXXXX)
cleanup() {
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get remove --purge -y -qq "${names[@]}" \
    >/dev/null 2>&1 || echo "could not remove ${names[*]}" >&2
  rm -rf "$work"
}
trap cleanup EXIT
echo "== apt-get install ${names[*]}"
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${debs[@]}" >/dev/null

cd "$work"
# The tool and the consumers get an ODBC configuration and a log folder of their own.
: > odbcinst.ini
: > odbc.ini
export ODBCSYSINI=$work ODBCINI=$work/odbc.ini TEMP=$work LC_ALL=C.UTF-8
driver=$(dpkg -L libsqliteodbc | grep '/libsqlite3odbc\.so$' | head -n 1)
examples=/usr/share/doc/morvane-eda-tools/examples

echo "== installed tools"
[ "$(metalink --version)" = "metalink $version" ] || { echo "metalink --version: $(metalink --version)"; exit 1; }
[ "$(minixml --version)" = "minixml $version" ] || { echo "minixml --version: $(minixml --version)"; exit 1; }
man -w metalink
man -w minixml
metalink import --sqlite "$work/sample parts.db" --syncmap "$examples/EDASyncMap.xml" \
  --library "$examples/EDALib.xml"
metalink tables --sqlite "$work/sample parts.db" | grep -qx Resistors ||
  { echo "the import made no table Resistors"; exit 1; }

echo "== C consumer through pkg-config"
cp "$root/packaging/consumers/c/consumer.c" .
# shellcheck disable=SC2046
cc -std=c11 -Wall -Werror -o c-consumer consumer.c $(pkg-config --cflags --libs metalink)
./c-consumer "DRIVER=$driver;Database=$work/sample parts.db"

echo "== CMake consumer through find_package"
cp -r "$root/packaging/consumers/cmake" cmake-consumer
cmake -S cmake-consumer -B cmake-consumer/build >/dev/null
cmake --build cmake-consumer/build >/dev/null
cmake-consumer/build/consumer "DRIVER=$driver;Database=$work/sample parts.db" \
  "$examples/minixml/presave_status.xml" "$work"
echo "== Java client of the installed natives and jar"
cp "$root/packaging/consumers/java/LoadNatives.java" .
javac -d java-consumer -cp /usr/share/java/odbccon-jni.jar LoadNatives.java
java -cp "/usr/share/java/odbccon-jni.jar:java-consumer" LoadNatives \
  "DRIVER=$driver;Database=$work/sample parts.db"
echo "package check passed"
