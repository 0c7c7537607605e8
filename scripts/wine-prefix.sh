#!/usr/bin/env bash
# Makes the project's Wine prefix once and configures it; later calls return at once.
#
# A fresh prefix costs about 9 s (wineboot -i) plus a few seconds for the server to
# settle, so it is made once per build folder and reused by every test and `make run`.
# The stamp file is written last: a prefix whose creation was interrupted has no stamp
# and is wiped and made again by the next call. The stamp holds the configuration
# version below; raising it remakes prefixes made with older settings.
# Concurrent callers (ctest -j, two terminals) serialise on a lock file; the losers find
# the stamp when they get the lock and return.
set -euo pipefail

. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

readonly config_version="dh-prefix 1"
readonly stamp="$WINEPREFIX/.dh-prefix-ready"

prefix_ready() {
  [ -f "$stamp" ] && [ "$(cat "$stamp" 2>/dev/null)" = "$config_version" ]
}

prefix_ready && exit 0

mkdir -p "$DH_WINE_ROOT" "$HOME"
exec 8>"$DH_WINE_ROOT/prefix.lock"
flock 8
prefix_ready && exit 0

echo "wine-prefix: creating $WINEPREFIX (once, about 15 s)" >&2

# A server left running on a half-made prefix (an interrupted run of ours) would keep
# files open and write its registry back into the new one.
"$WINESERVER" -k 2>/dev/null || true
rm -rf "$WINEPREFIX"

# No display while the prefix is made: wineboot would otherwise flash its "updating"
# window on the person's screen.
(
  unset DISPLAY
  "$WINE64" wineboot -i >/dev/null 2>&1
) 8>&-

# Japanese glyphs need the Windows UI fonts replaced by IPAGothic. The virtual desktop
# gives dialogs a window manager of sorts: without one every modal loop stalls about
# 2 s after it ends, and screenshots lack title bars.
regfile="$DH_WINE_ROOT/prefix-settings.reg"
{
  printf 'Windows Registry Editor Version 5.00\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
  for face in "MS UI Gothic" "MS Shell Dlg" "MS Shell Dlg 2" "Tahoma" "MS Gothic" \
              "MS PGothic" "Meiryo" "Meiryo UI"; do
    printf '"%s"="IPAGothic"\r\n' "$face"
  done
  printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n'
  printf '"Desktop"="Default"\r\n'
  printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n'
  printf '"Default"="1024x768"\r\n'
} >"$regfile"
(
  unset DISPLAY
  "$WINE64" reg import "$(printf 'Z:%s' "$regfile" | tr / '\\')" >/dev/null 2>&1
  # Settings are read at process start; the server writes the registry to disk when
  # it exits. Bounded: a hung prefix is killed rather than waited on for ever.
  timeout 120 "$WINESERVER" -w || "$WINESERVER" -k
) 8>&-

# Refuse to call a prefix ready whose settings did not land.
if ! grep -q '"Desktop"="Default"' "$WINEPREFIX/user.reg" ||
   ! grep -q '"MS UI Gothic"="IPAGothic"' "$WINEPREFIX/user.reg"; then
  echo "wine-prefix: settings missing from $WINEPREFIX/user.reg" >&2
  exit 1
fi

printf '%s\n' "$config_version" >"$stamp.tmp"
mv "$stamp.tmp" "$stamp"
echo "wine-prefix: ready" >&2
