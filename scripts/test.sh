#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite twice: once as built for
# release and once under AddressSanitizer + UndefinedBehaviorSanitizer.
#   scripts/test.sh            both runs
#   scripts/test.sh --plain    only the release run
#   scripts/test.sh --sanitize only the sanitizer run
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mode=${1:-all}

"$root/scripts/install-deps.sh"

run_suite() {
  local dir=$1; shift
  "$root/scripts/build.sh" "$dir" "$@"
  (cd "$dir" && ctest --output-on-failure -j "$(nproc)" --timeout 300 ${EDA_CTEST_ARGS:-})
}

status=0
if [ "$mode" = all ] || [ "$mode" = --plain ]; then
  echo "== release build"
  run_suite "$root/build" -DEDA_SANITIZE=OFF -DEDA_BUILD_TESTS=ON || status=1
fi
if [ "$mode" = all ] || [ "$mode" = --sanitize ]; then
  echo "== sanitizer build (ASan + UBSan)"
  # The JVM installs its own signal handlers and touches memory ASan cannot see; tests labelled
  # "jvm" need a JVM in the process and stay out of this run.
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:fast_unwind_on_malloc=0
  # Leaks inside the ODBC drivers themselves (see the file) are not ours.
  export LSAN_OPTIONS=suppressions=$root/scripts/lsan.supp
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  EDA_CTEST_ARGS="-LE jvm" run_suite "$root/build-sanitize" -DEDA_SANITIZE=ON -DEDA_BUILD_TESTS=ON -DEDA_BUILD_BENCH=OFF || status=1
fi
exit $status
