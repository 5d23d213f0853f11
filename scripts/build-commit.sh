#!/usr/bin/env bash
# Builds varnick.exe of the last commit, and no other change, in a fresh
# folder DIR, and packs it into DIR/release.zip: the release and the
# reproducibility check are both made so. The time stamps are the commit's.
set -euo pipefail
dir=$1
cd "$(dirname "$0")/.."
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
version=$(bash scripts/version.sh)
rm -rf "$dir"
mkdir -p "$dir"
git archive HEAD | tar -x -C "$dir"
cd "$dir"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null
cmake --build build --target varnick >/dev/null
python3 scripts/package.py "$version" build/varnick.exe docs/README-download.txt release.zip
