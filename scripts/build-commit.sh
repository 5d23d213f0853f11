#!/usr/bin/env bash
# Builds varnick.exe and its console companion varnick.com of the last
# commit, and no other change, in a fresh folder DIR, signs both when
# VARNICK_SIGN_PFX names a certificate (see scripts/sign.sh), and packs them
# into DIR/release.zip: the release and the reproducibility check are both
# made so. The time stamps are the commit's. DIR/build/varnick.exe and
# DIR/build/varnick.com stay unsigned, as the compiler made them.
set -euo pipefail
dir=$1
# The certificate's files by full path: the build goes on in DIR.
for name in VARNICK_SIGN_PFX VARNICK_SIGN_PASSWORD_FILE; do
  if [ -n "${!name:-}" ]; then export "$name=$(realpath "${!name}")"; fi
done
cd "$(dirname "$0")/.."
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
version=$(bash scripts/version.sh)
rm -rf "$dir"
mkdir -p "$dir"
git archive HEAD | tar -x -C "$dir"
cd "$dir"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null
cmake --build build --target varnick console_companion >/dev/null
files=build
if [ -n "${VARNICK_SIGN_PFX:-}" ]; then
  bash scripts/sign.sh build/varnick.exe signed/varnick.exe
  bash scripts/sign.sh build/varnick.com signed/varnick.com
  files=signed
fi
python3 scripts/package.py "$version" "$files/varnick.exe" "$files/varnick.com" \
  docs/README-download.txt release.zip
