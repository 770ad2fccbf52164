#!/bin/sh
# Runs every fuzz harness of build/fuzz for a share of the given number of seconds, each
# starting from its committed seed corpus. The corpus that grows during the run and any
# crashing input stay under build/fuzz; the committed seeds are never changed.
# Usage: fuzz/run-fuzz.sh SECONDS [--fresh]
# With --fresh the run starts from the seeds alone, so a short smoke run takes its set time
# however much an earlier long run grew the corpus.
set -eu

total=${1:-300}
fresh=${2:-}
here=$(cd "$(dirname "$0")" && pwd)
build=$here/../build/fuzz
status=0

# harness, share of the time in percent, longest input
for job in "fuzz_cfg 40 1024" "fuzz_pinnames 15 4096" "fuzz_qsf 30 65536" "fuzz_cardfile 15 4096"; do
  set -- $job
  name=$1
  seconds=$(( total * $2 / 100 ))
  [ "$seconds" -ge 1 ] || seconds=1
  seeds=$here/corpus/${name#fuzz_}
  work=$build/corpus/${name#fuzz_}
  artifacts=$build/artifacts/$name
  [ "$fresh" = --fresh ] && rm -rf "$work"
  mkdir -p "$work" "$artifacts"
  echo "== $name for $seconds s"
  if ! "$build/fuzz/$name" -max_total_time="$seconds" -max_len="$3" -timeout=10 \
      -print_final_stats=1 -artifact_prefix="$artifacts/" "$work" "$seeds" \
      >"$build/$name.log" 2>&1; then
    status=1
    echo "$name FAILED; the input is in $artifacts, the log in $build/$name.log:"
    grep -v '^#[0-9]' "$build/$name.log" | tail -40
  else
    grep -E '^(Done|stat::number_of_executed_units|stat::new_units_added)' "$build/$name.log" || true
  fi
done
exit $status
