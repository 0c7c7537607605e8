#!/usr/bin/env bash
# Checks the payload a built installer carries, with the build machine's dhpack:
# "DAT" 126 holds the read-me and "DAT" 130 the viewer (its programs byte for byte as
# this build made them, the folders an update backs up, the update patch); every
# member decodes with a good CRC.
#   check-payload.sh DHViewSetup.exe DHPACK DHViewer.exe Uninstall.exe
set -euo pipefail

exe="$1" dhpack="$2" viewer="$3" uninstaller="$4"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "check-payload: $*" >&2; exit 1; }

[ -x "$dhpack" ] || fail "$dhpack is not built (make tools)"
"$dhpack" test "$exe:126" >/dev/null || fail "DAT 126 does not test clean"
"$dhpack" test "$exe:130" >/dev/null || fail "DAT 130 does not test clean"
[ "$("$dhpack" list "$exe:126" | cut -f5)" = "ReadMe.txt" ] || fail "DAT 126 is not the read-me alone"

names="$("$dhpack" list "$exe:130" | cut -f5)"
for wanted in '#PROGRAMFILES#\' '#PROGRAMFILES#\DHViewer.exe' '#PROGRAMFILES#\Uninstall.exe' \
              '#APPDATA#\Collections\' '#APPDATA#\Model\' 'SetupInfo.xml'; do
  grep -qxF -- "$wanted" <<<"$names" || fail "DAT 130 lacks $wanted"
done

"$dhpack" x "$exe:130" "$work/x" >/dev/null
cmp "$work/x/#PROGRAMFILES#/DHViewer.exe" "$viewer" || fail "DAT 130 carries another DHViewer.exe"
cmp "$work/x/#PROGRAMFILES#/Uninstall.exe" "$uninstaller" || fail "DAT 130 carries another Uninstall.exe"
echo "check-payload: $exe carries $(wc -l <<<"$names") payload members and the read-me"
