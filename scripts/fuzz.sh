#!/usr/bin/env bash
# fuzz.sh SECONDS [TARGET...]: builds the libFuzzer targets (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) into build-fuzz/ and runs each for SECONDS, at most FUZZ_JOBS
# (default 2) at a time. Corpora grow in build-fuzz/corpus/TARGET, seeded from examples/;
# crashes, hangs and sanitizer reports land in build-fuzz/artifacts/TARGET and the script exits 1.
# Not part of the test run: the regression tests made from its findings are.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:?usage: fuzz.sh SECONDS [TARGET...]}
shift
targets=("$@")
[ ${#targets[@]} -eq 0 ] &&
  targets=(library_xml_fuzz sync_map_fuzz odbccon_ini_fuzz container_fuzz minixml_fuzz)
jobs=${FUZZ_JOBS:-2}
out="$root/build-fuzz"

"$root/scripts/install-deps.sh" --fuzz
CC=clang CXX=clang++ cmake -S "$root" -B "$out" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DEDA_FUZZ=ON -DEDA_SANITIZE=ON -DEDA_BUILD_TESTS=OFF -DEDA_BUILD_BENCH=OFF >/dev/null
cmake --build "$out" -j "$jobs" --target "${targets[@]}" container_seed >/dev/null

# Seeds: the sample files each reader is meant for.
seed() {
  local target=$1; shift
  mkdir -p "$out/corpus/$target"
  cp "$@" "$out/corpus/$target/"
}
seed library_xml_fuzz "$root/examples/EDALib.xml"
seed sync_map_fuzz "$root/examples/EDASyncMap.xml"
seed odbccon_ini_fuzz "$root/examples/ODBCCon.ini"
seed minixml_fuzz "$root"/examples/minixml/*.xml
mkdir -p "$out/corpus/container_fuzz"
"$out/fuzz/container_seed" "$out/corpus/container_fuzz" "$root/examples/EDALib.xml" \
  "$root/examples/EDASyncMap.xml" "$root/examples/ODBCCon.ini"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
run() {
  local target=$1
  local dict=()
  [ -f "$root/fuzz/${target}.dict" ] && dict=("-dict=$root/fuzz/${target}.dict")
  mkdir -p "$out/artifacts/$target"
  # -timeout: an input that takes longer than 10 s counts as a hang.
  "$out/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$out/artifacts/$target/" "${dict[@]}" \
    "$out/corpus/$target" >"$out/$target.log" 2>&1 || true
  local runs found
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out/$target.log" | tail -1)
  found=$(find "$out/artifacts/$target" -type f | wc -l)
  printf '%-18s %6ss %12s runs  %3s findings  corpus %s\n' "$target" "$seconds" "${runs:-?}" \
    "$found" "$(find "$out/corpus/$target" -type f | wc -l)"
}
pids=()
for target in "${targets[@]}"; do
  run "$target" &
  pids+=($!)
  if [ ${#pids[@]} -ge "$jobs" ]; then
    wait "${pids[0]}"
    pids=("${pids[@]:1}")
  fi
done
wait
[ -z "$(find "$out/artifacts" -type f 2>/dev/null)" ]
