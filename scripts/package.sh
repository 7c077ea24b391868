#!/usr/bin/env bash
# package.sh BUILD_DIR: the Debian packages of the project, from the release build in BUILD_DIR
# (configured for the /usr prefix and brought up to date first); the .deb files are written to
# BUILD_DIR/packages and listed on standard output.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -eq 1 ] || { echo "usage: $0 BUILD_DIR" >&2; exit 2; }
mkdir -p "$1"
dir=$(cd "$1" && pwd)
options=(-DCMAKE_INSTALL_PREFIX=/usr -DEDA_SANITIZE=OFF)
# A build folder of its own needs neither tests nor benchmarks; an existing one keeps its choice.
[ -f "$dir/CMakeCache.txt" ] || options+=(-DEDA_BUILD_TESTS=OFF -DEDA_BUILD_BENCH=OFF)
"$root/scripts/build.sh" "$dir" "${options[@]}" >/dev/null
rm -rf "$dir/packages"
(cd "$dir" && cpack -G DEB -B "$dir/packages" >/dev/null)
ls "$dir"/packages/*.deb
