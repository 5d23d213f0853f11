#!/usr/bin/env bash
# Builds three trees: build/windows (varnick.exe and the Windows test
# programs, cross-compiled), build/native (the unit tests on the simulated
# platform and the end-to-end harness) and build/fuzz (the fuzz targets,
# with clang).
set -euo pipefail
cd "$(dirname "$0")/.."
# The programs' PE time stamp is the commit's time, so that a build of a
# commit gives the same bytes wherever and whenever it is made.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || echo 0)
fi
export SOURCE_DATE_EPOCH

cmake -S . -B build/windows -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null
cmake --build build/windows
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/native
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVARNICK_FUZZ=ON >/dev/null
cmake --build build/fuzz
