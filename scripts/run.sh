#!/usr/bin/env bash
# Builds Varnick and runs it under Wine on a demonstration prefix
# (build/demo-prefix): a ComDB with a few reserved numbers and sample serial
# and modem devices, some of them on reserved numbers and some not.
# Arguments are passed on (try /c or /r). Without a display the window is
# shown on a private Xvfb, photographed into build/demo-window.png and then
# closed. Prints the exit code.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
bash scripts/build.sh >/dev/null
wine=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver
export WINEPREFIX="$PWD/build/demo-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

xvfb=""
cleanup() {
  "$server" -k 2>/dev/null || true
  if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; fi
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 70 99); do [ -e "/tmp/.X$n-lock" ] || break; done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  export DISPLAY=":$n"
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.05; done
fi

vtool() { "$wine" build/windows/vtool.exe "$@"; }
if [ ! -f "$WINEPREFIX/varnick-demo" ]; then
  echo "Creating the demonstration prefix (once, about 15 s)..."
  "$wine" wineboot -i >/dev/null 2>&1
  "$server" -w
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
  # Reserved: 1, 3, 4, 5, 7, 9 and 12.
  vtool regset 'SYSTEM\CurrentControlSet\Control\COM Name Arbiter' ComDB 3 \
    5d09000000000000000000000000000000000000000000000000000000000000
  vtool devadd ports DEMOUSB COM3 "USB Serial Port (COM3)"
  vtool devadd ports DEMOLINK COM7 "Wireless Serial Link (COM7)"
  vtool devadd ports DEMOBOARD COM6 "Development Board UART (COM6)"
  vtool devadd ports DEMOPLAIN COM12 ""
  vtool devadd modem DEMOMODEM COM9 "Standard 56000 bps Modem"
  touch "$WINEPREFIX/varnick-demo"
fi

set +e
if [ -n "$xvfb" ] && [ $# -eq 0 ]; then
  "$wine" build/windows/varnick.exe &
  program=$!
  vtool window 15000 >/dev/null && sleep 2
  xwd -root -display "$DISPLAY" | convert xwd:- build/demo-window.png
  echo "No display here: the window was photographed into build/demo-window.png"
  vtool post 10 0 >/dev/null
  wait $program
else
  "$wine" build/windows/varnick.exe "$@"
fi
code=$?
echo "varnick.exe exit code: $code"
