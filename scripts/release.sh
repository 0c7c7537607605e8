#!/usr/bin/env bash
# release.sh DHPACK: the release of the installer, from a clean build folder.
#
# Builds the win32 DHViewSetup.exe with the vendor's inputs in RELEASE_BUILD (emptied
# first), then fills RELEASE_DIR with what ships and what checks it:
#   DHViewSetup.exe         the installer (Authenticode-signed when a key is given)
#   DHViewSetup.contents    `dhpack list` of the read-me ("DAT" 126) and the payload (130)
#   DHViewSetup.verify      what `dhpack verify` found (the release fails unless all holds)
#   SHA256SUMS              sha256sum of the three files above
#
# The vendor's inputs (environment; `make release VAR=...` passes them):
#   DH_PAYLOAD        layout folders and manifests of the viewer payload, ';'-separated
#                     (default: sample/)
#   DH_README         the read-me text, UTF-8 (default: sample/ReadMe.txt)
#   DH_SETUP_VERSION  the version the installer records (default 1.0.4.8219)
#   DH_PAYLOAD_SALT   32 hex digits (default: derived from each image when
#                     SOURCE_DATE_EPOCH is set, else random)
#   SOURCE_DATE_EPOCH the time of every stamp in the file: the PE header and the
#                     archive members; with it, the same inputs give the same bytes
#   DH_SIGN_PKCS12, DH_SIGN_PASSWORD_FILE
#                     the code-signing key and certificate (PKCS#12) and a file holding
#                     its password: the installer is signed (SHA-256) with osslsigncode
#   DH_SIGN_CA        certificates the signature is verified against after signing
#                     (default: the system's authorities)
#   DH_SIGN_URL       a time-stamping server (optional; without one the signature
#                     expires with the certificate)
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: release.sh DHPACK" >&2
  exit 2
fi
dhpack="$1"
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${RELEASE_BUILD:-$repo/build/release-build}"
out="${RELEASE_DIR:-$repo/build/release}"
fail() { echo "release: $*" >&2; exit 1; }

[ -x "$dhpack" ] || fail "$dhpack is not built (make tools)"
if [ -n "${DH_SIGN_PKCS12:-}" ] || [ -n "${DH_SIGN_PASSWORD_FILE:-}" ]; then
  [ -f "${DH_SIGN_PKCS12:-}" ] || fail "DH_SIGN_PKCS12 names no file: '${DH_SIGN_PKCS12:-}'"
  [ -f "${DH_SIGN_PASSWORD_FILE:-}" ] || fail "DH_SIGN_PASSWORD_FILE names no file: '${DH_SIGN_PASSWORD_FILE:-}'"
fi

options=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-mingw-i686.cmake"
         -DDH_DHPACK="$dhpack")
for variable in DH_PAYLOAD DH_README DH_SETUP_VERSION DH_PAYLOAD_SALT; do
  if [ -n "${!variable:-}" ]; then options+=("-D$variable=${!variable}"); fi
done
rm -rf "$build"
cmake -S "$repo" -B "$build" -G Ninja "${options[@]}" >/dev/null
# Only the installer and what it carries: the tests are not part of a release.
cmake --build "$build" --target DHViewSetup -j "${JOBS:-$(nproc)}"

rm -rf "$out"
mkdir -p "$out"
exe="$out/DHViewSetup.exe"
if [ -n "${DH_SIGN_PKCS12:-}" ]; then
  bash "$repo/scripts/sign.sh" "$build/DHViewSetup.exe" "$exe"
else
  cp "$build/DHViewSetup.exe" "$exe"
fi

# Run inside the folder, so that the reports name no path of this machine.
cd "$out"
{
  echo "# DAT 126: index, method, unpacked size, packed size, name"
  "$dhpack" list DHViewSetup.exe:126
  echo "# DAT 130: index, method, unpacked size, packed size, name"
  "$dhpack" list DHViewSetup.exe:130
} >DHViewSetup.contents
if ! "$dhpack" verify DHViewSetup.exe >DHViewSetup.verify; then
  cat DHViewSetup.verify >&2
  fail "dhpack verify refuses $exe"
fi
cat DHViewSetup.verify
sha256sum DHViewSetup.exe DHViewSetup.contents DHViewSetup.verify >SHA256SUMS
echo "release: $out"
