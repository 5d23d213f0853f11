#!/usr/bin/env bash
# Times the /c repair end to end under Wine with a few hundred and a few
# thousand fixture Ports devices (each run is one Enumerate, a FindByPort
# per port, and one save). Needs a built tree (scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
export WINEPREFIX="$PWD/build/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
vtool="build/windows/vtool.exe"
[ -f "$WINEPREFIX/system.reg" ] || { $wine wineboot -i >/dev/null 2>&1; /usr/lib/wine/wineserver -w; }
/usr/lib/wine/wineserver -p
arbiter='SYSTEM\CurrentControlSet\Control\COM Name Arbiter'
$wine $vtool devclear
total=0
for count in 300 3000; do
  $wine $vtool devadd ports BENCH + "" $((count - total))
  total=$count
  $wine $vtool regset "$arbiter" ComDB 3 "$(printf 'ff%.0s' $(seq 512))"
  start=$(date +%s.%N)
  $wine build/windows/varnick.exe /c
  end=$(date +%s.%N)
  awk -v n="$count" -v s="$start" -v e="$end" 'BEGIN { printf "%5d devices, 4096 ports: /c took %.2f s\n", n, e - s }'
done
$wine $vtool devclear
/usr/lib/wine/wineserver -k
