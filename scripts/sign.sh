#!/usr/bin/env bash
# sign.sh IN OUT: Authenticode-signs the program IN (SHA-256) into OUT with osslsigncode
# and verifies the signed file, for the release and for the tests that sign.
#   DH_SIGN_PKCS12        the code-signing key and certificate (PKCS#12)
#   DH_SIGN_PASSWORD_FILE a file holding its password
#   DH_SIGN_CA            certificates to verify against (default: the system's)
#   DH_SIGN_URL           a time-stamping server (optional)
#   SOURCE_DATE_EPOCH     the signing time (default: now), for reproducible releases
set -euo pipefail

in="$1" out="$2"
fail() { echo "sign: $*" >&2; exit 1; }
command -v osslsigncode >/dev/null || fail "osslsigncode is missing (scripts/setup.sh installs it)"
[ -f "${DH_SIGN_PKCS12:-}" ] || fail "DH_SIGN_PKCS12 names no file: '${DH_SIGN_PKCS12:-}'"
[ -f "${DH_SIGN_PASSWORD_FILE:-}" ] || fail "DH_SIGN_PASSWORD_FILE names no file: '${DH_SIGN_PASSWORD_FILE:-}'"

# The signature's program name is ASCII (the manifest's description); the elevation
# prompt shows it.
sign=(osslsigncode sign -pkcs12 "$DH_SIGN_PKCS12" -readpass "$DH_SIGN_PASSWORD_FILE" -h sha256
      -n "Dravenholt Viewer Setup" -in "$in" -out "$out")
if [ -n "${DH_SIGN_URL:-}" ]; then sign+=(-ts "$DH_SIGN_URL"); fi
if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then sign+=(-time "$SOURCE_DATE_EPOCH"); fi
rm -f "$out"
"${sign[@]}" >/dev/null || fail "osslsigncode could not sign $in"
ca="${DH_SIGN_CA:-/etc/ssl/certs/ca-certificates.crt}"
if ! report="$(osslsigncode verify -CAfile "$ca" -in "$out" 2>&1)"; then
  echo "$report" >&2
  rm -f "$out"
  fail "the signed $out does not verify against $ca"
fi
