#!/usr/bin/env bash
# Varnick against the floor of its work (tests/tools/bare_scanner.cpp:
# one read of ComDB, one enumeration of every device, and for each serial
# device its ID, port name, friendly name and kernel name), under Wine on
# the test prefix, with fixture Ports devices and a ComDB of 4,096 ports:
#  - /c as a whole process against the scanner as a whole process, at 100,
#    1,000 and 3,000 devices;
#  - the window's refresh (the refresh command, until the list is rebuilt
#    and repainted) against one scan inside the scanner, at 256 and 4,096
#    ports, with 300 devices.
# The two of a pair run in turn, PAIRS times (default 7); each line gives
# both medians and the median of the pairs' ratios. PARTS="scan" or
# "refresh" runs only that half. Needs a built tree
# (scripts/build.sh) and a quiet machine; about 10 minutes, most of them
# spent creating the devices.
set -euo pipefail
cd "$(dirname "$0")/.."
pairs=${PAIRS:-7}
parts=${PARTS:-scan refresh}
scanner=build/windows/bare_scanner.exe
source scripts/bench-session.sh
trap '$wine $vtool devclear >/dev/null 2>&1 || true; bench_end' EXIT
milliseconds() { echo $(( $(date +%s%N) / 1000000 )); }
# "label", then pairs of "varnick floor" figures on standard input.
summary() {
  python3 -c '
import statistics, sys
label = sys.argv[1]
pairs = [tuple(map(float, line.split())) for line in sys.stdin if line.strip()]
a = statistics.median(p[0] for p in pairs)
b = statistics.median(p[1] for p in pairs)
r = statistics.median(p[0] / p[1] for p in pairs)
print("%-34s Varnick %7.1f ms, floor %7.1f ms, ratio %.2f" % (label, a, b, r))' "$1"
}

total=0
case $parts in *scan*) counts="100 1000 3000" ;; *) counts= ;; esac
[ -z "$counts" ] || $wine $vtool devclear
for count in $counts; do
  $wine $vtool devadd ports BENCH + "" $((count - total))
  total=$count
  $wine $scanner >/dev/null  # warm
  for i in $(seq "$pairs"); do
    $wine $vtool regset "$arbiter" ComDB 3 "$(comdb 512)"
    start=$(milliseconds); $wine build/windows/varnick.exe /c >/dev/null; a=$(( $(milliseconds) - start ))
    start=$(milliseconds); $wine $scanner >/dev/null; b=$(( $(milliseconds) - start ))
    echo "$a $b"
  done | summary "/c, $count devices, 4096 ports:"
done

case $parts in *refresh*) sizes="32 512" ;; *) sizes= ;; esac
if [ -n "$sizes" ]; then
  $wine $vtool devclear
  $wine $vtool devadd ports BENCH + "" 300
fi
for bytes in $sizes; do
  bench_open varnick.exe $bytes
  sleep 2
  for i in $(seq "$pairs"); do
    a=$($wine $vtool refreshbench 1 | sed -n 's/^fastest \([0-9.]*\) ms.*/\1/p')
    b=$($wine $scanner 1 | sed -n 's/^[0-9]* devices, \([0-9.]*\) ms.*/\1/p')
    echo "$a $b"
  done | summary "refresh, 300 devices, $((bytes * 8)) ports:"
  bench_close
done
