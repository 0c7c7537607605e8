#!/usr/bin/env bash
# Checks the payload a built installer carries, with the build machine's dhpack:
# `dhpack verify` (both resources decipher and decode with good CRCs, the read-me, the
# members installs and updates need, the names, the update patch), then what the
# sample adds: its update patch, and the viewer's programs byte for byte as this build
# made them.
#   check-payload.sh DHViewSetup.exe DHPACK DHViewer.exe Uninstall.exe
set -euo pipefail

exe="$1" dhpack="$2" viewer="$3" uninstaller="$4"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "check-payload: $*" >&2; exit 1; }

[ -x "$dhpack" ] || fail "$dhpack is not built (make tools)"
"$dhpack" verify "$exe" >"$work/verify" || { cat "$work/verify" >&2; fail "dhpack verify refuses $exe"; }

names="$("$dhpack" list "$exe:130" | cut -f5)"
grep -qxF -- 'SetupInfo.xml' <<<"$names" || fail "DAT 130 lacks the sample's SetupInfo.xml"

"$dhpack" x "$exe:130" "$work/x" >/dev/null
cmp "$work/x/#PROGRAMFILES#/DHViewer.exe" "$viewer" || fail "DAT 130 carries another DHViewer.exe"
cmp "$work/x/#PROGRAMFILES#/Uninstall.exe" "$uninstaller" || fail "DAT 130 carries another Uninstall.exe"
echo "check-payload: $exe carries $(wc -l <<<"$names") payload members and the read-me"
