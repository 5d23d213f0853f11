#!/usr/bin/env bash
# Builds Varnick and runs it under Wine in the project's prefix. Arguments
# are passed on (try /c or /r). Prints the exit code.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
bash scripts/build.sh >/dev/null
export WINEPREFIX="$PWD/build/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
  /usr/lib/wine/wineserver -w
fi
set +e
/usr/lib/wine/wine64 build/windows/varnick.exe "$@"
code=$?
/usr/lib/wine/wineserver -w
echo "varnick.exe exit code: $code"
