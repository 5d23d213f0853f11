#!/usr/bin/env bash
# Runs each fuzz target (tests/fuzz) for SECONDS seconds (default 600),
# starting from the corpus kept in tests/fuzz/corpus. New inputs go to
# build/fuzz-corpus/<target>; with --keep they are merged into the kept
# corpus (only those that reach new paths). Ends with one line per target
# and exit status 1 when any target found a fault.
# Needs the fuzz build: scripts/build.sh makes it.
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=600
keep=0
for arg in "$@"; do
  case $arg in
    --keep) keep=1 ;;
    *) seconds=$arg ;;
  esac
done
status=0
for target in command_line comdb journal plan port_name settings; do
  fuzzer=build/fuzz/${target}_fuzz
  kept=tests/fuzz/corpus/$target
  found=build/fuzz-corpus/$target
  mkdir -p "$kept" "$found" build/test-logs
  log=build/test-logs/fuzz-$target.txt
  "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix=build/test-logs/fuzz-$target- "$found" "$kept" >"$log" 2>&1
  code=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  if [ $code -eq 0 ]; then
    echo "fuzz $target: ${runs:-0} runs, ${speed:-0} a second, no finding"
  else
    echo "fuzz $target: FAILED (exit $code), see $log"
    status=1
  fi
  if [ $keep -eq 1 ]; then
    "$fuzzer" -merge=1 "$kept" "$found" >/dev/null 2>&1
  fi
done
exit $status
