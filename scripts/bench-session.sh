# Sourced by the benchmarks: Wine on the test prefix with a private Xvfb,
# a persistent wineserver, and the names both use. bench_end stops them;
# a script that must undo more sets its own EXIT trap ending in it.
export WINEPREFIX="$PWD/build/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver
vtool=build/windows/vtool.exe
for n in $(seq 70 99); do [ -e "/tmp/.X$n-lock" ] || break; done
Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=":$n"
bench_end() {
  $server -k 2>/dev/null || true
  kill $xvfb 2>/dev/null || true
}
trap bench_end EXIT
sleep 1
[ -f "$WINEPREFIX/system.reg" ] || { $wine wineboot -i >/dev/null 2>&1; $server -w; }
$server -p
arbiter='SYSTEM\CurrentControlSet\Control\COM Name Arbiter'
comdb() { printf 'ff%.0s' $(seq "$1"); }
