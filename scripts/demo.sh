#!/usr/bin/env bash
# The main job on the embedded SQLite default: installs what is missing and builds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build"
echo "Built: $(cd "$root/build" && find . -name 'lib*.so' | sort | tr '\n' ' ')"
