#!/usr/bin/env bash
# Builds the release of the last commit: dist/varnick-<version>-win64.zip
# (varnick.exe, varnick.com, README.txt, SHA256SUMS), beside it the
# archive's SHA-256, which is printed, and the versions of the tools that
# made it. The version is res/version.h's, the time stamps the commit's. The
# same commit, built with the same tools, gives the same bytes wherever and
# whenever it is built. varnick.exe and varnick.com are signed when
# VARNICK_SIGN_PFX names a certificate, a PKCS#12 file outside the work
# tree; scripts/sign.sh says how its password is given.
set -euo pipefail
# The certificate's password is taken out of the environment before
# anything runs, so that no step of the build (apt-get, cmake, the
# compilers) inherits it: it reaches osslsigncode through a file that only
# this user can read, removed when the release ends.
password=${VARNICK_SIGN_PASSWORD-}
unset VARNICK_SIGN_PASSWORD
secret=""
work=""
trap 'rm -rf "$work" "$secret"' EXIT
if [ -n "$password" ] && [ -n "${VARNICK_SIGN_PFX:-}" ] && [ -z "${VARNICK_SIGN_PASSWORD_FILE:-}" ]; then
  secret=$(umask 077 && mktemp /tmp/varnick-password-XXXXXX)
  printf '%s' "$password" >"$secret"
  export VARNICK_SIGN_PASSWORD_FILE=$secret
fi
password=""
# The certificate's files by full path, before the cd below.
for name in VARNICK_SIGN_PFX VARNICK_SIGN_PASSWORD_FILE; do
  if [ -n "${!name:-}" ]; then export "$name=$(realpath "${!name}")"; fi
done
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  echo "The working tree has changes that are not committed; the release is of the last commit." >&2
fi
if [ -n "${VARNICK_SIGN_PFX:-}" ]; then
  for name in VARNICK_SIGN_PFX VARNICK_SIGN_PASSWORD_FILE; do
    file=${!name:-}
    [ -z "$file" ] || [ -r "$file" ] || { echo "$name: cannot read $file" >&2; exit 1; }
    # A key inside the work tree is one "git add" away from being published.
    case $file in "$(pwd -P)"/*)
      echo "$name: $file is inside the work tree; keep it outside" >&2; exit 1 ;;
    esac
  done
  echo "varnick.exe and varnick.com will be signed with $VARNICK_SIGN_PFX"
else
  echo "varnick.exe and varnick.com will be unsigned: no certificate given (VARNICK_SIGN_PFX)"
fi
version=$(bash scripts/version.sh)
work=$(mktemp -d /tmp/varnick-release-XXXXXX)
bash scripts/build-commit.sh "$work/tree"
name=varnick-$version-win64
mkdir -p dist
cp "$work/tree/release.zip" "dist/$name.zip"
{
  echo "commit $(git rev-parse HEAD), time stamps $(git log -1 --format=%ct)"
  for tool in x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-ld x86_64-w64-mingw32-windres \
    x86_64-w64-mingw32-dlltool cmake python3; do
    echo "$tool: $("$tool" --version 2>&1 | head -n 1)"
  done
  signing=()
  if [ -n "${VARNICK_SIGN_PFX:-}" ]; then
    tool=$(osslsigncode --version 2>&1 | head -n 2 | tr -s '\t\n' '  ')
    echo "varnick.exe and varnick.com signed, signing time the commit's, by ${tool% }"
    signing=(osslsigncode libssl3)
  fi
  dpkg-query -W -f='${Package} ${Version}\n' mingw-w64-x86-64-dev g++-mingw-w64-x86-64-posix \
    binutils-mingw-w64-x86-64 "${signing[@]}" 2>/dev/null || true
} > "dist/$name.buildinfo"
(cd dist && sha256sum "$name.zip" > "$name.zip.sha256" && cat "$name.zip.sha256")
