#!/usr/bin/env bash
# Signs build/windows/varnick.exe and varnick.com, the programs the
# end-to-end tests ran, as a release signs them, with a throwaway
# certificate made here, and checks each signature, the bytes of a second
# signing, the bytes without the signature, and the signed programs under
# Wine. One line per check, ending in "ok" or "FAILED"; exit status 1 on
# any failure.
set -uo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d /tmp/varnick-signing-XXXXXX)
trap 'rm -rf "$work"' EXIT
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}

status=0
# Prints the check's line; its details, when it failed, go to standard error.
report() {
  local code=$1 what=$2 details=${3:-}
  if [ "$code" -eq 0 ]; then
    echo "signing: $what: ok"
  else
    echo "signing: $what: FAILED"
    [ -z "$details" ] || printf '%s\n' "$details" >&2
    status=1
  fi
}

# A self-signed code-signing certificate with an RSA key, in a PKCS#12 file
# whose password comes from the environment, as a release's would.
export VARNICK_SIGN_PFX=$work/test.pfx
export VARNICK_SIGN_PASSWORD
VARNICK_SIGN_PASSWORD=$(openssl rand -hex 16)
unset VARNICK_SIGN_PASSWORD_FILE  # a release's, which would win
if ! { openssl req -x509 -newkey rsa:3072 -nodes -days 2 -subj "/CN=Varnick test signing" \
         -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
         -keyout "$work/key.pem" -out "$work/cert.pem" &&
       openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" \
         -out "$VARNICK_SIGN_PFX" -passout env:VARNICK_SIGN_PASSWORD; } >"$work/openssl.log" 2>&1; then
  report 1 "a test certificate made" "$(cat "$work/openssl.log")"
  exit 1
fi

expected=$(date -u -d "@$SOURCE_DATE_EPOCH" '+%b %e %H:%M:%S %Y GMT')
for name in varnick.exe varnick.com; do
  program=build/windows/$name
  # The second signing comes later by the clock, which must not show.
  if ! { bash scripts/sign.sh "$program" "$work/first/$name" && sleep 2 &&
         bash scripts/sign.sh "$program" "$work/second/$name"; }; then
    report 1 "signing $name with the test certificate"
    exit 1
  fi
  signed=$work/first/$name

  output=$(osslsigncode verify -CAfile "$work/cert.pem" -in "$signed" 2>&1)
  code=$?
  if [ $code -eq 0 ] && ! grep -qF "Signing time: $expected" <<<"$output"; then
    code=1 output="no signing time $expected in:"$'\n'"$output"
  fi
  report $code "osslsigncode verify accepts the signature of $name, signing time the commit's" \
    "$output"

  cmp "$signed" "$work/second/$name" >/dev/null
  report $? "two signings of $name identical ($(stat -c %s "$signed") bytes signed, $(stat -c %s "$program") unsigned)"

  osslsigncode remove-signature -in "$signed" -out "$work/removed-$name" >/dev/null &&
    cmp "$work/removed-$name" "$program" >/dev/null
  report $? "the signature removed gives back the unsigned $name"
done

# A release given the password in its environment hands it to no build
# step: a stand-in cmake first on the path records the environment it got
# and stops the release there; the file that carried the password is gone.
mkdir "$work/steps"
printf '#!/bin/sh\nenv >"%s"\nexit 1\n' "$work/step.env" >"$work/steps/cmake"
chmod +x "$work/steps/cmake"
PATH=$work/steps:$PATH bash scripts/release.sh >"$work/release.log" 2>&1
passed=$(sed -n 's/^VARNICK_SIGN_PASSWORD_FILE=//p' "$work/step.env" 2>/dev/null)
[ -s "$work/step.env" ] && ! grep -qF "$VARNICK_SIGN_PASSWORD" "$work/step.env" &&
  [ -n "$passed" ] && [ ! -e "$passed" ]
report $? "a release keeps the password out of its build steps' environment" \
  "$(cat "$work/release.log"; echo "password file: ${passed:-none}")"

# The harness takes the Windows build from another folder: the signed
# programs beside links to everything else. The tests chosen run batch
# repairs on devices, start the program in batch mode and in its window,
# through the companion too, read the import tables and plant libraries
# beside a copy of it.
mkdir "$work/windows"
for file in build/windows/*.exe build/windows/*.dll; do ln -s "$PWD/$file" "$work/windows/"; done
rm "$work/windows/varnick.exe" && cp "$work/first/varnick.exe" "$work/first/varnick.com" "$work/windows/"
tests="BatchOnDevices.*:Startup.BatchModeAsAdministratorShowsNoBox"
tests+=":MainWindow.ShowsEveryPortWithItsReservationAndDevice:Imports.*:Companion.*"
tests+=":PlantedLibraries.NoneIsLoadedInBatchMode"
log=build/test-logs/signed-e2e.txt
mkdir -p build/test-logs
VARNICK_WINDOWS_BUILD=$work/windows build/native/e2e_tests --gtest_filter="$tests" >"$log" 2>&1
code=$?
count=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\.$/\1/p' "$log")
report $code "the signed programs pass ${count:-their} end-to-end tests under Wine" \
  "$(grep -E '^\[  FAILED  \]|Failure|harness' "$log"; echo "(all of it in $log)")"
exit $status
