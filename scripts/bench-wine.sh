#!/usr/bin/env bash
# Benchmarks under Wine, on the test prefix, with fixture Ports devices:
#  - the /c repair end to end with 300 and 3,000 devices and 4,096 ports
#    (one Enumerate, a FindByPort per port, one save);
#  - one refresh of the main window's list (the refresh command, from the
#    request until the list is rebuilt and repainted) with 300 devices and
#    256, 2,048 and 4,096 ports;
#  - the two repair buttons with 220 working devices and 20 non-present
#    ones (varnick_ghosts.exe), on 256 and 4,096 ports, every number
#    reserved: each command until it returns, then the refresh its save
#    brings, which ends with the repainted list;
#  - how long the main window takes to answer a message while three
#    property sheets (the test tree's stand-in) are open.
# Needs a built tree (scripts/build.sh); about 8 minutes, mostly spent
# creating the 3,000 devices.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/bench-session.sh
$wine $vtool devclear

cp build/windows/devmgr.dll "$WINEPREFIX/drive_c/windows/system32/devmgr.dll"
for bytes in 32 512; do
  $wine $vtool devclear
  $wine $vtool devadd ports BENCH + "" 220
  $wine $vtool devadd ports GHOSTBENCH +221 "" 20
  bench_open varnick_ghosts.exe $bytes
  sleep 3
  printf ' 220 + 20 devices, %4d ports: clear unused %s' $((bytes * 8)) "$($wine $vtool commandbench 1010)"
  sleep 3
  printf ', remove non-present %s' "$($wine $vtool commandbench 1011)"
  sleep 3
  printf ', each followed by a refresh: %s\n' "$($wine $vtool refreshbench 3)"
  bench_close
done
$wine $vtool devclear
$wine $vtool devadd ports BENCH + "" 300

bench_open varnick.exe 32
sleep 2
$wine $vtool keys Home shift+Down shift+Down
$wine $vtool post 111 9e37
sleep 2
printf ' three property sheets open: the window answers WM_NULL: %s\n' "$($wine $vtool ping Varnick 200)"
$wine $vtool close "Test sheet"
bench_close

for bytes in 32 256 512; do
  bench_open varnick.exe $bytes
  sleep 2
  printf ' 300 devices, %4d ports: refresh ' $((bytes * 8))
  $wine $vtool refreshbench 5
  bench_close
done

total=0
for count in 300 3000; do
  $wine $vtool devadd ports BENCH + "" $((count - total))
  total=$count
  $wine $vtool regset "$arbiter" ComDB 3 "$(comdb 512)"
  start=$(date +%s.%N)
  $wine build/windows/varnick.exe /c >/dev/null  # one line a freed number
  end=$(date +%s.%N)
  awk -v n="$count" -v s="$start" -v e="$end" 'BEGIN { printf "%5d devices, 4096 ports: /c took %.2f s\n", n, e - s }'
done
$wine $vtool devclear
