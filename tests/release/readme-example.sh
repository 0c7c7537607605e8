#!/usr/bin/env bash
# readme-example.sh REPO DHPACK VIEWER WORK KEYS [EARLIER]: runs the README's example of
# "Your own installer", the block after "<!-- example: your own installer -->", as a
# vendor would: in WORK, with a viewer folder of its own (VIEWER as DHViewer.exe and a
# help page, no uninstaller), a Japanese read-me, and a throwaway signing key from KEYS
# (made there with make-signing-key.sh when missing). Then checks the release it made:
# the signature against the throwaway authority, the vendor's version and files in the
# installer, the sums. With EARLIER, the folder of an earlier run of the same inputs,
# every file of the release must be byte for byte that run's.
set -euo pipefail

repo="$1" dhpack="$2" viewer="$3" work="$4" keys="$5" earlier="${6:-}"
fail() { echo "readme-example: $*" >&2; exit 1; }

[ -f "$keys/signing.p12" ] || bash "$repo/tests/release/make-signing-key.sh" "$keys"
rm -rf "$work"
mkdir -p "$work/my-viewer/help"
cd "$work"
cp "$viewer" my-viewer/DHViewer.exe
printf '<html><body>Help</body></html>\n' >my-viewer/help/index.html
printf '使用許諾契約書\n\nこのソフトウェアの使用条件です。\n' >ReadMe.txt
cp "$keys/signing.p12" "$keys/signing.pass" .

awk '/^<!-- example: your own installer -->$/ {found = 1; next}
     found && /^```sh$/ {inside = 1; next}
     inside && /^```$/ {exit}
     inside {print}' "$repo/README.md" >example.sh
[ -s example.sh ] || fail "the README has no example block"

# The release goes to this run's folders; a make above this test must not pass its
# job server down.
unset MAKEFLAGS MFLAGS MAKELEVEL
DHVIEWSETUP="$repo" RELEASE_DIR="$work/release" RELEASE_BUILD="$work/build" \
  DH_SIGN_CA="$keys/ca.pem" bash -euo pipefail example.sh >example.log 2>&1 ||
  { tail -40 example.log >&2; fail "the example failed"; }

release="$work/release"
osslsigncode verify -CAfile "$keys/ca.pem" -in "$release/DHViewSetup.exe" >/dev/null ||
  fail "the signature does not verify against the throwaway authority"
(cd "$release" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match"
report="$release/DHViewSetup.verify"
grep -qF "info  setup version 2.0.0.1" "$report" || fail "no version 2.0.0.1 in: $(cat "$report")"
grep -qF "info  signed by CN=Dravenholt Test Signing" "$report" || fail "no signer in: $(cat "$report")"
grep -q "passed all" "$report" || fail "dhpack verify did not pass: $(cat "$report")"
# The signed file still reads, and carries the vendor's viewer and the build's uninstaller.
members="$("$dhpack" list "$release/DHViewSetup.exe:130")" || fail "dhpack cannot list the signed installer"
for wanted in '#PROGRAMFILES#\DHViewer.exe' '#PROGRAMFILES#\help\index.html' '#PROGRAMFILES#\Uninstall.exe' \
              '#APPDATA#\Collections\' '#APPDATA#\Model\'; do
  grep -qxF -- "$wanted" <<<"$(cut -f5 <<<"$members")" || fail "the payload lacks $wanted"
done
"$dhpack" x "$release/DHViewSetup.exe:130" extracted >/dev/null
cmp -s extracted/#PROGRAMFILES#/DHViewer.exe "$viewer" || fail "the payload carries another DHViewer.exe"
[ "$("$dhpack" cat "$release/DHViewSetup.exe:126" 1 | iconv -f CP932 -t UTF-8 | tr -d '\r')" = "$(cat ReadMe.txt)" ] ||
  fail "the read-me is not the vendor's"

if [ -n "$earlier" ]; then
  for file in "$earlier/release"/*; do
    cmp "$file" "$release/$(basename "$file")" ||
      fail "$(basename "$file") differs between two releases of the same inputs"
  done
  [ "$(ls "$earlier/release")" = "$(ls "$release")" ] || fail "the two releases hold different files"
  echo "readme-example: two releases from two clean build folders are identical"
fi
echo "readme-example: $release"
