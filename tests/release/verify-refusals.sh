#!/usr/bin/env bash
# verify-refusals.sh DHPACK SAMPLE_DIR DECIPHER WORK: `dhpack verify` on small installers
# made here (a manifest and the two "DAT" resources linked into an empty GUI program),
# one sound (also signed with a throwaway key) and the others each with one fault that
# `dhpack build` would never let through, packed with `dhpack pack` and enciphered by
# the independent cipher script: each must fail, naming its fault, and the sound one
# must pass.
set -euo pipefail

dhpack="$1" sample="$2" decipher="$3" work="$4"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cc=i686-w64-mingw32-gcc-posix
windres=i686-w64-mingw32-windres
failures=0
fail() { echo "verify-refusals: $*" >&2; failures=$((failures + 1)); }

rm -rf "$work"
mkdir -p "$work"
cd "$work"
cat >manifest.xml <<'XML'
<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">
  <trustInfo xmlns="urn:schemas-microsoft-com:asm.v3">
    <security><requestedPrivileges>
      <requestedExecutionLevel level="requireAdministrator" uiAccess="false"/>
    </requestedPrivileges></security>
  </trustInfo>
</assembly>
XML
echo 'int __stdcall WinMain(void* a, void* b, char* c, int d) { (void)a; (void)b; (void)c; (void)d; return 0; }' >main.c
"$cc" -c main.c -o main.o

# The image of a plain archive under an all-zero salt: the cipher is its own inverse.
encipher() {
  head -c 16 /dev/zero >"$2.salted"
  cat "$1" >>"$2.salted"
  python3 "$decipher" "$2.salted" "$2.body"
  { head -c 16 /dev/zero; cat "$2.body"; } >"$2"
}

# installer NAME PAYLOAD_IMAGE [LINK_FLAGS...]; README_IMAGE in the environment names
# another read-me.
installer() {
  local name="$1" payload="$2"
  shift 2
  printf '1 24 "manifest.xml"\n126 DAT "%s"\n130 DAT "%s"\n' "${README_IMAGE:-readme.dat}" "$payload" >"$name.rc"
  "$windres" "$name.rc" -O coff -o "$name.res.o"
  "$cc" main.o "$name.res.o" "$@" -o "$name.exe"
}

# A layout of the viewer's programs and the folders an update backs up.
mkdir -p tree/#PROGRAMFILES# tree/#APPDATA#/Collections tree/#APPDATA#/Model
echo viewer >tree/#PROGRAMFILES#/DHViewer.exe
echo uninstaller >tree/#PROGRAMFILES#/Uninstall.exe
echo data >tree/#APPDATA#/Collections/list.xml
echo model >tree/#APPDATA#/Model/default.ini
# pack ARCHIVE PATH...: the paths relative to tree/ become the member names.
pack() {
  local archive="$1"
  shift
  (cd tree && "$dhpack" pack "$work/$archive" "$@" >/dev/null)
}

"$dhpack" readme --quiet --utf8 readme.dat "$sample/ReadMe.txt"
"$dhpack" build --quiet sound.dat "$sample/payload" --add "#PROGRAMFILES#/DHViewer.exe=tree/#PROGRAMFILES#/DHViewer.exe" \
  --add "#PROGRAMFILES#/Uninstall.exe=tree/#PROGRAMFILES#/Uninstall.exe"
installer sound sound.dat -mwindows

pack no-model.lzh '#PROGRAMFILES#/DHViewer.exe' '#PROGRAMFILES#/Uninstall.exe' '#APPDATA#/Collections/list.xml'
encipher no-model.lzh no-model.dat
installer no-model no-model.dat -mwindows

printf '<UpdatePatch><Version>1.0</Version></UpdatePatch>' >tree/SetupInfo.xml
pack bad-patch.lzh '#PROGRAMFILES#/DHViewer.exe' '#PROGRAMFILES#/Uninstall.exe' '#APPDATA#/Collections/list.xml' \
  '#APPDATA#/Model/default.ini' SetupInfo.xml
encipher bad-patch.lzh bad-patch.dat
installer bad-patch bad-patch.dat -mwindows

echo device >tree/#PROGRAMFILES#/aux.txt
pack bad-name.lzh '#PROGRAMFILES#/DHViewer.exe' '#PROGRAMFILES#/Uninstall.exe' '#PROGRAMFILES#/aux.txt' \
  '#APPDATA#/Collections/list.xml' '#APPDATA#/Model/default.ini'
encipher bad-name.lzh bad-name.dat
installer bad-name bad-name.dat -mwindows

installer console sound.dat -mconsole

# One byte of the last member's data changed: the cipher carries it through unchanged.
cp sound.dat damaged.dat
size="$(stat -c %s damaged.dat)"
printf '\x55' | dd of=damaged.dat bs=1 seek="$((size - 40))" conv=notrunc status=none
installer damaged damaged.dat -mwindows

# A lead byte followed by a line end is no Shift-JIS character.
printf 'Read me\r\n\x81\r\n' >bad-readme.txt
"$dhpack" readme --quiet bad-readme.dat bad-readme.txt
README_IMAGE=bad-readme.dat installer bad-readme sound.dat -mwindows

# Signed with a throwaway key: the signer is named. A signature whose certificate
# entry claims more bytes than the table holds is reported, not followed.
bash "$here/make-signing-key.sh" keys
DH_SIGN_PKCS12=keys/signing.p12 DH_SIGN_PASSWORD_FILE=keys/signing.pass DH_SIGN_CA=keys/ca.pem \
  bash "$here/../../scripts/sign.sh" sound.exe signed.exe
python3 - signed.exe overrun.exe <<'PY'
import struct, sys
data = bytearray(open(sys.argv[1], "rb").read())
pe = struct.unpack_from("<I", data, 0x3C)[0]
table = struct.unpack_from("<I", data, pe + 24 + 96 + 4 * 8)[0]  # PE32 directory 4
struct.pack_into("<I", data, table, 0x7FFFFFFF)
open(sys.argv[2], "wb").write(data)
PY

# expect NAME STATUS TEXT: `dhpack verify NAME.exe` ends with STATUS and prints TEXT.
expect() {
  local status=0
  "$dhpack" verify "$1.exe" >"$1.out" 2>&1 || status=$?
  [ "$status" -eq "$2" ] || fail "$1: status $status, expected $2: $(cat "$1.out")"
  grep -qF -- "$3" "$1.out" || fail "$1: no line \"$3\" in: $(cat "$1.out")"
}
expect sound 0 "passed all"
expect no-model 1 'FAIL  the payload has "DHViewer.exe", "Uninstall.exe", "#APPDATA#\Collections\" and "#APPDATA#\Model\": the payload has no folder "#APPDATA#\Model\"'
expect bad-patch 1 'FAIL  the installer parses "SetupInfo.xml": セットアップ情報取得失敗(20100)'
expect bad-name 1 'FAIL  every member name is one the installer accepts: 1 refused, first "#PROGRAMFILES#\aux.txt" has a device name (aux.txt)'
expect console 1 "FAIL  the Windows GUI subsystem: subsystem 3"
expect damaged 1 'FAIL  "DAT" 130 (the viewer) deciphers; its 16 member(s) decode and pass their CRCs: 1 failed, first member'
expect bad-readme 1 "FAIL  the read-me is Shift-JIS text: it holds bytes that are no Shift-JIS character"
expect signed 0 "info  signed by CN=Dravenholt Test Signing, O=Dravenholt (issued by CN=Dravenholt Test Authority)"
expect overrun 1 "FAIL  a readable Authenticode signature: the certificate entry overruns the table"
# Only the fault of each is reported.
for name in no-model bad-patch bad-name console damaged bad-readme overrun; do
  count="$(grep -c '^  FAIL' "$name.out" || true)"
  [ "$count" -eq 1 ] || fail "$name: $count failed checks, expected one: $(cat "$name.out")"
done

[ "$failures" -eq 0 ] || exit 1
echo "verify-refusals: the sound installer passes, each fault is named"
