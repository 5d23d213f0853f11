#!/bin/sh
# Makes a delay-import library from a mingw-w64 import library: every
# function the DLL exports, bound on first call instead of at process start.
# delay_library.sh NM DLLTOOL IMPORT-LIBRARY OUTPUT
set -eu
nm=$1 dlltool=$2 library=$3 output=$4
dll=$("$dlltool" --identify "$library" | head -n 1)
# dlltool names the library's symbols after the output path: made where it
# lies, under its own name, they do not depend on where the tree is built.
cd "$(dirname "$output")"
output=$(basename "$output")
def="${output%.a}.def"
{
  echo "LIBRARY $dll"
  echo "EXPORTS"
  "$nm" -g --defined-only "$library" 2>/dev/null | sed -n 's/^.* I __imp_//p' | LC_ALL=C sort -u
} > "$def"
"$dlltool" --input-def "$def" --output-delaylib "$output" --dllname "$dll"
