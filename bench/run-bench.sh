#!/bin/sh
# Runs every benchmark of build/bench and prints the figures docs/performance.md reports:
# the in-memory benchmarks (loading card files among them), the largest generation with user
# cards beside the same with built-in ones, pinwright-cli generate as a process beside cp of
# the same five files and beside the static floor program (bench/floor.c), and the desktop
# program's start beside an empty window's.
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

# The largest generation with two user cards (card-file copies of 13 and 68) beside the same
# with the built-in cards, their repetitions interleaved so that a change in the machine's load
# hits both alike; the ratio is that of the medians of wall time.
echo "== largest generation, user cards against built-in cards, interleaved"
cards=$("$build/bench/pinwright_bench" --benchmark_filter='BM_GenerateLargest(BuiltIn|User)Cards$' \
  --benchmark_min_time=1 --benchmark_repetitions=9 --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true 2>/dev/null)
echo "$cards" | grep '_median'
# The median's wall time in nanoseconds.
median_ns() {
  echo "$cards" | awk -v name="$1" '$1 == name "_median" {
    scale = ($3 == "us") ? 1e3 : ($3 == "ms") ? 1e6 : 1; print $2 * scale }'
}
echo "user/built-in median ratio: $(awk "BEGIN { printf \"%.3f\", \
  $(median_ns BM_GenerateLargestUserCards) / $(median_ns BM_GenerateLargestBuiltInCards) }")"

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

# Side by side with the floor: a static C program writing the same five files the same safe
# way (temporary file renamed over the target). The two alternate in rounds, so that a change
# in the machine's load hits both alike; the ratio is the median of the rounds' ratios.
floor=$build/bench/pinwright_floor
rounds=${BENCH_ROUNDS:-10}
per_round=$((runs / rounds > 0 ? runs / rounds : 1))
echo "== pinwright-cli generate (largest project) against the floor, $rounds rounds of $per_round runs each"
ratios=""
round=1
while [ "$round" -le "$rounds" ]; do
  # shellcheck disable=SC2086
  cli_round=$("$timer" cli "$per_round" "$cli" generate $largest "{dir}/LARKSPUR.qpf")
  floor_round=$("$timer" floor "$per_round" "$floor" "$reference/LARKSPUR" "{dir}/LARKSPUR")
  echo "round $round: $cli_round | $floor_round"
  ratios="$ratios $(awk "BEGIN { printf \"%.3f\", $(median "$cli_round") / $(median "$floor_round") }")"
  round=$((round + 1))
done
echo "cli/floor median of round ratios: $(echo "$ratios" | tr ' ' '\n' | sed '/^$/d' | sort -n |
  awk '{ v[NR] = $1 } END { printf "%.2f", (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }')"

# pinwright-cli check of a 20,000-line settings file beside tclsh running the same file with
# stub commands (what reading it as Tcl costs at the least). The file is the largest
# project's .qsf followed by assignments of the kinds a grown project collects: design files
# and per-pin settings that no rule concerns.
if command -v tclsh >/dev/null; then
  long=$reference/long.qsf
  awk 'NR == FNR { print; port = $NF; sub(/\r$/, "", port)
                   if ($1 == "set_location_assignment") ports[++n] = port; next }
       END { i = 0
             while (NR + i < 20000) {
               i++
               if (i % 2) printf "set_global_assignment -name VERILOG_FILE \"rtl/unit_%d.v\"\r\n", i
               else printf "set_instance_assignment -name SLEW_RATE 1 -to %s\r\n", ports[(i % n) + 1]
             } }' "$reference/LARKSPUR.qsf" >"$long"
  cat >"$reference/stubs.tcl" <<'TCL'
foreach command {set_global_assignment set_instance_assignment set_location_assignment} {
  proc $command args {}
}
proc unknown {command args} {
  if {[string is integer -strict $command] && [llength $args] == 0} { return "\[$command\]" }
  error "unknown command $command"
}
source [lindex $argv 0]
TCL
  echo "== pinwright-cli check against tclsh sourcing it with stub commands: $(wc -l <"$long") lines, $runs runs each"
  check=$("$timer" check "$runs" "$cli" check "$long")
  tcl=$("$timer" tclsh "$runs" tclsh "$reference/stubs.tcl" "$long")
  echo "$check"
  echo "$tcl"
  echo "check/tclsh median ratio: $(awk "BEGIN { printf \"%.2f\", $(median "$check") / $(median "$tcl") }")"
fi

if [ -x "$build/bench/pinwright_startup_bench" ]; then
  echo "== desktop program start to first painted window (offscreen), $runs runs each"
  window=$(QT_QPA_PLATFORM=offscreen "$timer" gui "$runs" "$build/bench/pinwright_startup_bench")
  empty=$(QT_QPA_PLATFORM=offscreen "$timer" empty-window "$runs" \
    "$build/bench/pinwright_startup_bench" floor)
  echo "$window"
  echo "$empty"
  echo "gui/empty-window median ratio: $(awk "BEGIN { printf \"%.2f\", $(median "$window") / $(median "$empty") }")"
fi
