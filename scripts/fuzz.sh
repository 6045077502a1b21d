#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer + UndefinedBehaviorSanitizer) in
# build-fuzz/ and runs each for a given time, growing a working corpus from the seeds in
# fuzz/corpus/. Stops at the first crash, leak or sanitizer report, leaving the input in
# build-fuzz/findings/.
#   scripts/fuzz.sh                 60 s per target
#   scripts/fuzz.sh 3600            an hour per target
#   scripts/fuzz.sh 5 url_fuzzer    only the named targets
# RUNS=N also stops each target after N executions; JOBS sets the build's parallel jobs (2).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
shift || true
build=build-fuzz

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DZERLITH_FUZZ=ON -DZERLITH_BENCHMARKS=OFF \
  ${CMAKE_CXX_COMPILER_LAUNCHER:+-DCMAKE_CXX_COMPILER_LAUNCHER="$CMAKE_CXX_COMPILER_LAUNCHER"} >/dev/null
cmake --build "$build" --target fuzzers -j "${JOBS:-2}"

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for seeds in fuzz/corpus/*/; do
    target="$(basename "$seeds")"
    [ -x "$build/fuzz/$target" ] && targets+=("$target")
  done
fi

mkdir -p "$build/findings"
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  log="$build/findings/$target.log"
  start=$(date +%s)
  # One job in the foreground; -timeout catches a hang, -rss_limit_mb a runaway allocation.
  # The fuzzer's user + system CPU seconds go to $log.cpu.
  TIMEFORMAT='%U + %S'
  if ! { time "$build/fuzz/$target" "$corpus" "fuzz/corpus/$target" -max_total_time="$seconds" \
      ${RUNS:+-runs="$RUNS"} -timeout=10 -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 \
      -artifact_prefix="$build/findings/$target-" >"$log" 2>&1; } 2>"$log.cpu"; then
    tail -n 40 "$log"
    echo "$target: FAILED (input and log in $build/findings/)" >&2
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  cpu=$(awk '{ print $1 + $3 }' "$log.cpu")
  echo "$target: $runs executions in $(( $(date +%s) - start )) s ($cpu s CPU), no crash"
done
