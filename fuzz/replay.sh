#!/usr/bin/env bash
# Runs every harness once over each file of its corpus (fuzz/corpus/<harness>/), without
# fuzzing: a crash, sanitizer report, leak, broken check or hang fails the run.
# Usage: FUZZ_BUILD=build-fuzz fuzz/replay.sh [harness...]   (default: every harness)
set -uo pipefail

build=${FUZZ_BUILD:-build-fuzz}
corpora=$(dirname "$0")/corpus
harnesses=("$@")
[ ${#harnesses[@]} -gt 0 ] || harnesses=($(ls "$corpora"))

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
log=$(mktemp)
trap 'rm -f "$log"' EXIT

failed=0
for harness in "${harnesses[@]}"; do
  binary=$build/fuzz/$harness
  if [ ! -x "$binary" ]; then
    echo "fuzz-replay: $binary is missing" >&2
    failed=1
    continue
  fi
  count=$(find "$corpora/$harness" -type f | wc -l)
  # Files given as arguments are each run once; xargs fails when any batch fails.
  if find "$corpora/$harness" -type f -print0 | sort -z |
      xargs -0 "$binary" -timeout=30 -rss_limit_mb=2048 >"$log" 2>&1; then
    echo "fuzz-replay: $harness: $count inputs ok"
  else
    echo "fuzz-replay: $harness FAILED; its output ends:" >&2
    tail -n 40 "$log" >&2
    failed=1
  fi
done
exit $failed
