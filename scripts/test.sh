#!/usr/bin/env bash
# Every test: installs what is missing, builds, then runs the native unit
# tests (simulated platform, sanitizers on), the same unit tests built for
# Windows under Wine, the end-to-end tests of varnick.exe under Wine, a
# short run of each fuzz target, two more builds of the commit that must
# give the same bytes, and the checks of a signed varnick.exe.
# The harness starts Xvfb and wineserver and ends both, even on failure.
set -uo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh || exit 1
bash scripts/build.sh || exit 1

status=0
passed=0
failed=0
log=build/test-logs
mkdir -p "$log"
# Runs one suite, counting its tests from GoogleTest's summary lines; a
# suite that dies before its summary counts as one failure.
run() {
  local name=$1 file="$log/$2.txt"
  shift 2
  echo "== $name"
  "$@" 2>&1 | tee "$file"
  local code=${PIPESTATUS[0]}
  local p f
  p=$(tr -d "\r" <"$file" | sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\.$/\1/p' | tail -n 1)
  f=$(tr -d "\r" <"$file" | sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\?, listed below:$/\1/p' | tail -n 1)
  passed=$((passed + ${p:-0}))
  failed=$((failed + ${f:-0}))
  if [ "$code" -ne 0 ]; then
    status=1
    [ -z "$f" ] && failed=$((failed + 1))
  fi
  echo "== $name: ${p:-0} passed, ${f:-0} failed (exit $code)"
}
run "native unit tests" native build/native/unit_tests
run "unit tests under Wine" wine-unit build/native/e2e_tests --wine-run build/windows/unit_tests.exe
run "end-to-end tests under Wine" e2e build/native/e2e_tests

# Each fuzz target for 30 s from the kept corpus: a target counts as one
# test, failed when it found a fault.
echo "== fuzzing, 30 s a target"
bash scripts/fuzz.sh 30 | tee "$log/fuzz.txt"
[ "${PIPESTATUS[0]}" -eq 0 ] || status=1
passed=$((passed + $(grep -c "no finding" "$log/fuzz.txt")))
failed=$((failed + $(grep -c "FAILED" "$log/fuzz.txt")))

# Two builds of the commit in two folders give the same bytes, and those
# of the varnick.exe and varnick.com tested above: five comparisons, each
# one test.
echo "== reproducible build"
bash scripts/reproducible.sh | tee "$log/reproducible.txt"
[ "${PIPESTATUS[0]}" -eq 0 ] || status=1
passed=$((passed + $(grep -c "identical" "$log/reproducible.txt")))
failed=$((failed + $(grep -c -E "DIFFERS|failed" "$log/reproducible.txt")))

# varnick.exe signed with a throwaway certificate: the signature verifies,
# signing again gives the same bytes, removing it gives back the program,
# and the signed program passes end-to-end tests; each check one test.
echo "== signed build"
bash scripts/check-signing.sh | tee "$log/signing.txt"
[ "${PIPESTATUS[0]}" -eq 0 ] || status=1
passed=$((passed + $(grep -c ": ok$" "$log/signing.txt")))
failed=$((failed + $(grep -c "FAILED" "$log/signing.txt")))

# Nothing may outlive the run. Zombies are not running: where nothing
# reaps orphans, an ended wineserver stays in the process table as one.
left=$(ps -eo pid=,stat=,comm= | awk '$2 !~ /^Z/ && $3 ~ /^(wineserver|Xvfb|.*\.exe$)/')
if [ -n "$left" ]; then
  printf 'processes were left running:\n%s\n' "$left" >&2
  status=1
fi
echo "$passed passed, $failed failed"
exit $status
