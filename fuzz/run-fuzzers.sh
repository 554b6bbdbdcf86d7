#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for SECONDS each, one after the other, and prints one line
# per target: runs, crashes. New inputs go to BUILD/fuzz/corpus/NAME (the seeds in fuzz/corpus stay as
# they are); a crashing input is kept as BUILD/fuzz/crash-*. Exit status 1 when any target crashed.
#   fuzz/run-fuzzers.sh BUILD SECONDS
set -uo pipefail
build=$1
seconds=$2
source_dir=$(cd "$(dirname "$0")" && pwd)
failed=0
printf '%-18s %12s %8s\n' target runs crashes
for exe in "$build"/fuzz/fuzz_*; do
  [ -f "$exe" ] && [ -x "$exe" ] || continue # not the build's *_autogen folders
  name=${exe##*/fuzz_}
  work="$build/fuzz/corpus/$name"
  mkdir -p "$work"
  log="$build/fuzz/$name.log"
  # -close_fd_mask=1: the parsers' own output is not the fuzzer's report.
  "$exe" -max_total_time="$seconds" -close_fd_mask=1 -print_final_stats=1 \
    -artifact_prefix="$build/fuzz/crash-$name-" "$work" "$source_dir/corpus/$name" >"$log" 2>&1
  status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  crashes=0
  if [ "$status" -ne 0 ]; then
    crashes=1
    failed=1
    grep -m3 -E 'ERROR|oracle failed|SUMMARY' "$log" >&2
  fi
  printf '%-18s %12s %8s\n' "$name" "${runs:-?}" "$crashes"
done
exit "$failed"
