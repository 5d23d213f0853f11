#!/usr/bin/env bash
# Signs a Windows program with Authenticode: sign.sh IN OUT.
# The certificate and its private key are the PKCS#12 file VARNICK_SIGN_PFX;
# its password is VARNICK_SIGN_PASSWORD, or is held by the file
# VARNICK_SIGN_PASSWORD_FILE (neither: a file without one). The password
# reaches osslsigncode as a file, never on a command line that any user
# can list, nor in its environment. (scripts/release.sh hands it on as such
# a file.)
# The signing time is SOURCE_DATE_EPOCH, the commit's time, and no
# time-stamp server is asked, so the same program signed with the same key
# gives the same bytes (with an RSA key: an ECDSA signature differs each time).
set -euo pipefail
password=${VARNICK_SIGN_PASSWORD-}
unset VARNICK_SIGN_PASSWORD
in=$1 out=$2
pfx=${VARNICK_SIGN_PFX:?no certificate: VARNICK_SIGN_PFX names none}
time=${SOURCE_DATE_EPOCH:?no signing time: SOURCE_DATE_EPOCH is not set}

# -n: the name Windows shows for the program when it asks for administrator rights.
sign() {
  osslsigncode sign -pkcs12 "$pfx" "$@" -h sha256 -n Varnick -time "$time" \
    -in "$in" -out "$out" >/dev/null
}
mkdir -p "$(dirname "$out")"
rm -f "$out"  # osslsigncode writes no file that exists
if [ -n "${VARNICK_SIGN_PASSWORD_FILE:-}" ]; then
  sign -readpass "$VARNICK_SIGN_PASSWORD_FILE"
elif [ -n "$password" ]; then
  sign -readpass <(printf '%s' "$password")
else
  sign
fi
