#!/usr/bin/env bash
# Installs what building and testing Varnick needs on a Debian machine:
# the native toolchain with GoogleTest and Google Benchmark, clang with
# libFuzzer, the mingw-w64 cross toolchain, Wine 8 and Xvfb, and
# osslsigncode and openssl for signing. Does nothing when all of it is there.
set -euo pipefail

packages=(
  cmake ninja-build g++ libgtest-dev googletest libbenchmark-dev clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
  wine64 xvfb x11-apps x11-utils imagemagick xdotool libx11-dev libxfixes-dev
  osslsigncode openssl
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
