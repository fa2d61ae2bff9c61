#!/usr/bin/env bash
# Fuzzes each harness for FUZZ_SECONDS, JOBS harnesses at a time. Each starts from its
# committed corpus (fuzz/corpus/<harness>/, left untouched) and writes what it finds to
# $FUZZ_BUILD/corpus/<harness>/; a crash lands in $FUZZ_BUILD/artifacts/ and fails the run.
# With FUZZ_MERGE=1 the inputs that add coverage are then merged into the committed corpus.
# Usage: FUZZ_BUILD=build-fuzz FUZZ_SECONDS=60 JOBS=2 fuzz/fuzz.sh [harness...]
set -uo pipefail

build=${FUZZ_BUILD:-build-fuzz}
seconds=${FUZZ_SECONDS:-60}
jobs=${JOBS:-2}
here=$(dirname "$0")
harnesses=("$@")
[ ${#harnesses[@]} -gt 0 ] || harnesses=($(ls "$here/corpus"))
mkdir -p "$build/artifacts"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export build seconds here

fuzz_one() {
  local harness=$1
  local work=$build/corpus/$harness
  local log=$build/artifacts/$harness.log
  local dict=()
  [ -f "$here/$harness.dict" ] && dict=(-dict="$here/$harness.dict")
  mkdir -p "$work"
  if "$build/fuzz/$harness" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$build/artifacts/$harness-" "${dict[@]}" \
      "$work" "$here/corpus/$harness" >"$log" 2>&1; then
    echo "fuzz: $harness: $(grep -E '^#[0-9]+' "$log" | tail -n 1)"
  else
    echo "fuzz: $harness FAILED (log: $log); its output ends:" >&2
    tail -n 40 "$log" >&2
    return 1
  fi
  if [ "${FUZZ_MERGE:-0}" = 1 ]; then
    "$build/fuzz/$harness" -merge=1 "$here/corpus/$harness" "$work" >>"$log" 2>&1
  fi
}
export -f fuzz_one

printf '%s\n' "${harnesses[@]}" | xargs -P "$jobs" -I{} bash -c 'fuzz_one {}'
