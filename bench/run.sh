#!/usr/bin/env bash
# Runs every benchmark and prints its figures (`make bench`). BUILD names a Release build
# configured with -DVELKARO_BENCH=ON; without the window (-DVELKARO_GUI=OFF) figures 3 and 4
# are skipped. Results and how to read them: BENCHMARKS.md.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build-bench}
rounds=${BENCH_ROUNDS:-5}
gui_rounds=${BENCH_GUI_ROUNDS:-3}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TMPDIR="$work"

echo "Machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), $(nproc) cores"
echo "Date:    $(date)"
# Other work on the machine shows in every figure; say how busy it was.
echo "Load:    $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 minutes)"
"$build/sample_pictures" bench "$work/pictures"
echo "Pictures: $(wc -l < "$work/pictures/manifest.tsv") files, $(du -sk "$work/pictures" | cut -f1) KB"

# A window program's own chatter (Qt WebEngine prints its GPU set-up) goes to a log that is
# shown only when the program fails.
run_window() {
  local log="$work/window.log"
  if ! "$@" 2>"$log"; then
    cat "$log" >&2
    return 1
  fi
}
xvfb() {
  xvfb-run -a -s "-screen 0 1920x1080x24" "$@"
}

echo
echo "== Figures 1 and 2: collecting and saving beside curl"
"$build/bench/collect_bench" "$work/pictures" "$rounds"

if [ -x "$build/bench/responsiveness_bench" ]; then
  echo
  echo "== Figure 3: responsiveness during a collection (offscreen)"
  QT_QPA_PLATFORM=offscreen run_window "$build/bench/responsiveness_bench" "$work/pictures" "$gui_rounds"
  echo
  echo "== Figure 3, on an X server without a GPU (Xvfb; OpenGL in software)"
  run_window xvfb "$build/bench/responsiveness_bench" "$work/pictures" "$gui_rounds"
  echo
  echo "== Figure 4: start-up and memory (Xvfb)"
  run_window xvfb "$build/bench/startup_bench" "$work/pictures" "$gui_rounds"
else
  echo
  echo "== Figures 3 and 4 skipped: built without the window (VELKARO_GUI=OFF)"
fi

echo
echo "== Figure 5: picture sizes of 4000 x 3000 pictures"
"$build/bench/picture_size_bench" "$work"
echo
echo "== Figure 5: image pattern over a 2 MB page of 1,000 entries (goal < 100 ms)"
"$build/bench/regex_bench"
