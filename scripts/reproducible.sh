#!/usr/bin/env bash
# Builds the committed tree twice, in two folders of different names, one
# after the other, and compares varnick.exe, varnick.com and the release
# archive byte for byte; where they differ, names the first differing offset
# and the PE section that holds it. With a clean working tree it also
# compares the first build's programs with those in build/windows, the ones
# the end-to-end tests run. One line per comparison; exit status 1 on any
# difference.
set -uo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d /tmp/varnick-reproduce-XXXXXX)
trap 'rm -rf "$work"' EXIT
dirs=("$work/first" "$work/a/much/deeper/second-tree")
for dir in "${dirs[@]}"; do
  bash scripts/build-commit.sh "$dir" || { echo "reproducible: the build in $dir failed"; exit 1; }
  sleep 2  # and at another time
done

status=0
# Names the first byte where two files differ, and the section it lies in.
compare() {
  local what=$1 a=$2 b=$3
  if cmp -s "$a" "$b"; then
    echo "reproducible: $what identical ($(stat -c %s "$a") bytes)"
    return
  fi
  status=1
  python3 - "$what" "$a" "$b" <<'PY'
import struct, sys
what, a, b = sys.argv[1:4]
x, y = open(a, "rb").read(), open(b, "rb").read()
at = next((i for i in range(min(len(x), len(y))) if x[i] != y[i]), min(len(x), len(y)))
where = "" if at < min(len(x), len(y)) else "past the end of the shorter file"
try:
    if x[:2] != b"MZ":
        raise struct.error("not a PE file")
    pe = struct.unpack_from("<I", x, 0x3C)[0]
    sections, optional = struct.unpack_from("<H", x, pe + 6)[0], struct.unpack_from("<H", x, pe + 20)[0]
    where = "in the headers"
    for i in range(sections):
        s = pe + 24 + optional + 40 * i
        name = x[s:s + 8].rstrip(b"\0").decode()
        size, offset = struct.unpack_from("<II", x, s + 16)
        if offset <= at < offset + size:
            where = "in section %s, %d bytes into it" % (name, at - offset)
except struct.error:
    pass
print("reproducible: %s DIFFERS at offset %d (0x%x)%s; sizes %d and %d"
      % (what, at, at, " " + where if where else "", len(x), len(y)))
PY
}
for program in varnick.exe varnick.com; do
  compare $program "${dirs[0]}/build/$program" "${dirs[1]}/build/$program"
done
compare "the archive" "${dirs[0]}/release.zip" "${dirs[1]}/release.zip"
for program in varnick.exe varnick.com; do
  if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
    echo "reproducible: the tested $program not compared: the working tree has changes"
  elif [ ! -f build/windows/$program ]; then
    echo "reproducible: the tested $program not compared: build/windows has none"
  else
    compare "the tested $program" "${dirs[0]}/build/$program" build/windows/$program
  fi
done
exit $status
