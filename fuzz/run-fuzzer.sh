#!/usr/bin/env bash
# Fuzzes one target for a bounded time and prints what it did.
#   run-fuzzer.sh <fuzzer> <seed corpus> <work folder> <seconds> <max input bytes>
# TOLVIK_FUZZ_SECONDS, when set, overrides <seconds>. The seed corpus is only read; what the run finds goes to the work folder,
# and an input that breaks the target is kept there as crash-*.
set -euo pipefail
fuzzer=$1 seeds=$2 work=$3 seconds=${TOLVIK_FUZZ_SECONDS:-$4} max_len=$5
mkdir -p "$work/corpus"
log="$work/last-run.log"
status=0
"$fuzzer" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$work/" "$work/corpus" "$seeds" >"$log" 2>&1 || status=$?
stat() { sed -n "s/^stat::$1: *//p" "$log" | tail -n 1; }
echo "$(basename "$fuzzer"): $(stat number_of_executed_units) executions in ${seconds} s," \
  "$(stat average_exec_per_sec) per second, $(ls "$work/corpus" | wc -l) inputs in the corpus"
if [ "$status" -ne 0 ]; then
  tail -n 60 "$log"
  echo "FAIL: $(basename "$fuzzer") found an input that breaks it; see $work/crash-*"
fi
exit "$status"
