# Sourced by the benchmarks: Wine on the test prefix with a private Xvfb,
# a persistent wineserver, and the names and steps both use. bench_end
# stops them; a script that must undo more sets its own EXIT trap ending
# in it.
# Wine's own msports.dll, not the tests' recording stand-in that the test
# prefix prefers: Varnick then writes ComDB without the routines, as it did
# when the figures in the README were measured.
export WINEPREFIX="$PWD/build/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;msports=b"
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

# Starts a program of the Windows build from its default settings on a
# ComDB of $2 bytes, every number reserved, and waits for its window.
bench_open() {
  $wine $vtool regset "$arbiter" ComDB 3 "$(comdb "$2")"
  rm -f "build/windows/${1%.exe}.ini"
  $wine "build/windows/$1" &
  program=$!
  $wine $vtool window 20000 >/dev/null
}
# Closes it as the close box does, and waits until it has ended.
bench_close() {
  $wine $vtool post 10 0
  wait $program
}
