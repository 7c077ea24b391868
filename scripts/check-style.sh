#!/usr/bin/env bash
# check-style.sh [BUILD_DIR]: checks every C++ file of the repository against .clang-format and
# runs clang-tidy (the checks listed in .clang-tidy) over every source the build compiles, using
# BUILD_DIR/compile_commands.json (default: build). Exit status 1 on any finding.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
cd "$root"

if [ ! -f "$build/compile_commands.json" ]; then
  echo "no $build/compile_commands.json: configure the build first (scripts/build.sh)" >&2
  exit 2
fi

status=0
echo "== clang-format"
git ls-files -z -- '*.cc' '*.h' | xargs -0 clang-format --dry-run --Werror || status=1

echo "== clang-tidy"
# Our own sources that this build compiles: generated files (the JNI headers javac writes) live
# in the build folder, and the fuzz targets and packaging consumers are built elsewhere, with
# compile commands this build does not have.
sources=$(comm -12 <(git ls-files -- '*.cc' | sed "s|^|$root/|" | sort) \
  <(python3 -c 'import json, sys; print("\n".join(e["file"] for e in json.load(open(sys.argv[1]))))' \
    "$build/compile_commands.json" | sort -u))
jobs=$(nproc)
if ! run-clang-tidy -quiet -p "$build" -j "$jobs" $sources >"$build/clang-tidy.log" 2>&1; then
  grep -E 'warning:|error:' "$build/clang-tidy.log" | sort -u || true
  status=1
fi
exit $status
