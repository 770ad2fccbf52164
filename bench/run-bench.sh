#!/bin/sh
# Runs every benchmark of build/bench and prints the figures docs/performance.md reports:
# the in-memory benchmarks, pinwright-cli generate as a process beside cp of the same five
# files (the floor), and the desktop program's start beside an empty window's.
# BENCH_RUNS sets the number of process runs (default 200).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
build=$here/../build/bench
runs=${BENCH_RUNS:-200}
timer=$build/bench/pinwright_process_bench
cli=$build/src/cli/pinwright-cli
largest="--with all --gpio0 13 --prefix0 LCD_ --gpio1 68 --prefix1 RF_"

echo "== machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), load average $(cut -d' ' -f1-3 /proc/loadavg)"

echo "== in memory"
"$build/bench/pinwright_bench" --benchmark_min_time=1 --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true

echo "== pinwright-cli generate (largest project) against cp of its five files, $runs runs each"
reference=$(mktemp -d)
trap 'rm -rf "$reference"' EXIT
export XDG_RUNTIME_DIR="$reference"
# shellcheck disable=SC2086
"$cli" generate $largest "$reference/LARKSPUR.qpf" >/dev/null
files=$(for extension in qpf qsf v sdc htm; do printf '%s ' "$reference/LARKSPUR.$extension"; done)
# shellcheck disable=SC2086
generate=$("$timer" cli "$runs" "$cli" generate $largest "{dir}/LARKSPUR.qpf")
# shellcheck disable=SC2086
copy=$("$timer" cp "$runs" cp $files "{dir}/")
echo "$generate"
echo "$copy"
median() { echo "$1" | sed 's/.*median_us=\([0-9]*\).*/\1/'; }
echo "cli/cp median ratio: $(awk "BEGIN { printf \"%.2f\", $(median "$generate") / $(median "$copy") }")"

if [ -x "$build/bench/pinwright_startup_bench" ]; then
  echo "== desktop program start to first painted window (offscreen), $runs runs each"
  window=$(QT_QPA_PLATFORM=offscreen "$timer" gui "$runs" "$build/bench/pinwright_startup_bench")
  empty=$(QT_QPA_PLATFORM=offscreen "$timer" empty-window "$runs" \
    "$build/bench/pinwright_startup_bench" floor)
  echo "$window"
  echo "$empty"
  echo "gui/empty-window median ratio: $(awk "BEGIN { printf \"%.2f\", $(median "$window") / $(median "$empty") }")"
fi
