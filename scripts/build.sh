#!/usr/bin/env bash
# Builds both trees: build/windows (varnick.exe and the Windows test
# programs, cross-compiled) and build/native (the unit tests on the
# simulated platform and the end-to-end harness).
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build/windows -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null
cmake --build build/windows
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/native
