#!/usr/bin/env bash
# Prints the program's version, 1.0.5.0, as res/version.h gives it.
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(tr -d '\r' <res/version.h |
  sed -n 's/^#define VARNICK_VERSION_\(MAJOR\|MINOR\|BUILD\|REVISION\) \([0-9][0-9]*\).*$/\2/p' |
  paste -sd.)
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "no version in res/version.h" >&2; exit 1; }
echo "$version"
