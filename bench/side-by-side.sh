#!/bin/sh
# Compares this tree's build/bench with the build/bench of another commit, side by side in one
# sitting: the whole generation of the largest project in memory, and pinwright-cli generate
# of it as a process beside the static floor program. The two builds alternate in rounds, so
# that a change in the machine's load hits both alike; each figure is the median of the
# rounds' medians, and the cli figure also as the median of the rounds' ratios to the floor.
#
#   bench/side-by-side.sh OTHER_BUILD        # OTHER_BUILD: the other commit's build/bench
#
# BENCH_ROUNDS sets the rounds (default 10), BENCH_RUNS the process runs per round (default 20).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
this=$here/../build/bench
other=${1:?usage: side-by-side.sh OTHER_BUILD}
rounds=${BENCH_ROUNDS:-10}
runs=${BENCH_RUNS:-20}
timer=$this/bench/pinwright_process_bench
floor=$this/bench/pinwright_floor
largest="--with all --gpio0 13 --prefix0 LCD_ --gpio1 68 --prefix1 RF_"

reference=$(mktemp -d)
trap 'rm -rf "$reference"' EXIT
export XDG_RUNTIME_DIR="$reference"
# shellcheck disable=SC2086
"$this/src/cli/pinwright-cli" generate $largest "$reference/LARKSPUR.qpf" >/dev/null

median_us() { echo "$1" | sed 's/.*median_us=\([0-9]*\).*/\1/'; }
# The median time of one in-memory generation of the largest project, in microseconds.
in_memory_us() {
  "$1/bench/pinwright_bench" --benchmark_filter='^BM_GenerateLargestProject$' \
    --benchmark_min_time=0.5 --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
    --benchmark_format=csv 2>/dev/null |
    awk -F, '/_median"/ { printf "%.1f", ($4 + 0) / 1000 }'
}
median() { tr ' ' '\n' | sed '/^$/d' | sort -n |
  awk '{ v[NR] = $1 } END { printf "%.2f", (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo "== machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "== $rounds rounds; each: in memory, then $runs runs of each pinwright-cli and the floor"
# The rounds' figures gather in memory_other, cli_this, ratio_this and so on.
# shellcheck disable=SC2034
memory_other="" memory_this="" cli_other="" cli_this="" ratio_other="" ratio_this=""
round=1
while [ "$round" -le "$rounds" ]; do
  for side in other this; do
    build=$other
    [ "$side" = this ] && build=$this
    memory=$(in_memory_us "$build")
    # shellcheck disable=SC2086
    cli=$(median_us "$("$timer" cli "$runs" "$build/src/cli/pinwright-cli" generate $largest "{dir}/LARKSPUR.qpf")")
    base=$(median_us "$("$timer" floor "$runs" "$floor" "$reference/LARKSPUR" "{dir}/LARKSPUR")")
    ratio=$(awk "BEGIN { printf \"%.3f\", $cli / $base }")
    echo "round $round $side: in memory $memory us, pinwright-cli $cli us, floor $base us, ratio $ratio"
    eval "memory_$side=\"\$memory_$side $memory\" cli_$side=\"\$cli_$side $cli\" ratio_$side=\"\$ratio_$side $ratio\""
  done
  round=$((round + 1))
done
for side in other this; do
  eval "memory=\$memory_$side cli=\$cli_$side ratio=\$ratio_$side"
  echo "$side: in memory $(echo "$memory" | median) us, pinwright-cli $(echo "$cli" | median) us, cli/floor $(echo "$ratio" | median)"
done
