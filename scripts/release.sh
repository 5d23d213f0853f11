#!/usr/bin/env bash
# Builds the release from the committed tree: dist/varnick-<version>-win64.zip
# (varnick.exe, README.txt, SHA256SUMS) and beside it the archive's
# SHA-256, which is printed. The version is res/version.h's; the time
# stamps are the commit's. The same commit gives the same bytes wherever
# and whenever it is built.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
version=$(sed -n 's/^#define VARNICK_VERSION_\(MAJOR\|MINOR\|BUILD\|REVISION\) \([0-9]*\)$/\2/p' \
  res/version.h | paste -sd.)
cmake -S . -B build/windows -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null
cmake --build build/windows --target varnick >/dev/null
mkdir -p dist
name=varnick-$version-win64.zip
rm -f "dist/$name" "dist/$name.sha256"
python3 scripts/package.py "$version" build/windows/varnick.exe docs/README-download.txt "dist/$name"
(cd dist && sha256sum "$name" > "$name.sha256" && cat "$name.sha256")
