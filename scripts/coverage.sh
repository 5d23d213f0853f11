#!/usr/bin/env bash
# Lines and branches of the portable code (base/, core/, app/ and the rules of
# ui/) that the native unit tests run: builds build/coverage with gcov
# counters (no sanitizers), runs the unit tests once and sums gcov's counts
# per folder.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/coverage -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVARNICK_COVERAGE=ON >/dev/null
cmake --build build/coverage --target unit_tests >/dev/null
find build/coverage -name '*.gcda' -delete
build/coverage/unit_tests >/dev/null
objects=build/coverage/CMakeFiles/varnick_sim.dir
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$out" && find "$OLDPWD/$objects" -name '*.gcda' -print0 | xargs -0 gcov -b -p >/dev/null 2>&1 || true)
# Each .gcov file: count lines and branches of the source it covers.
awk '
  FNR == 1 { split(FILENAME, parts, "#"); }
  /^ *-: *0:Source:/ { sub(/^ *-: *0:Source:/, ""); source = $0; n = split(source, p, "/");
                       folder = p[n-1]; if (folder != "base" && folder != "core" && folder != "app" && folder != "ui") source = ""; }
  source != "" && /^ *[0-9#=]+\*?: *[0-9]+:/ {
    split($0, f, ":"); count = f[1]; gsub(/ /, "", count);
    if (count == "-") next;
    key = folder; lines[key]++; if (count !~ /^[#=]/) hit[key]++;
  }
  source != "" && /^branch / { branches[folder]++; if ($0 ~ /taken [1-9]/) taken[folder]++; }
  END {
    for (k in lines) printf "%-5s lines %5d of %5d (%.1f%%)  branches %5d of %5d (%.1f%%)\n",
      k, hit[k], lines[k], 100 * hit[k] / lines[k], taken[k], branches[k],
      branches[k] ? 100 * taken[k] / branches[k] : 0;
  }' "$out"/*.gcov | sort
