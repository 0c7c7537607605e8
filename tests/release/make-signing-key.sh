#!/usr/bin/env bash
# make-signing-key.sh DIR: a throwaway certificate authority and a code-signing
# certificate it issued, for the tests only (never for a release): DIR/ca.pem (the
# authority to verify against), DIR/signing.p12 (key and certificate) and
# DIR/signing.pass (its password). Made offline, valid for a week.
set -euo pipefail

dir="$1"
rm -rf "$dir"
mkdir -p "$dir"
cd "$dir"
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 7 \
  -subj "/CN=Dravenholt Test Authority" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout signing.key -out signing.csr \
  -subj "/CN=Dravenholt Test Signing/O=Dravenholt" 2>/dev/null
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >signing.ext
openssl x509 -req -in signing.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 7 \
  -extfile signing.ext -out signing.pem 2>/dev/null
openssl rand -hex 16 >signing.pass
openssl pkcs12 -export -inkey signing.key -in signing.pem -certfile ca.pem -out signing.p12 \
  -passout file:signing.pass
rm -f ca.key signing.key signing.csr signing.ext
