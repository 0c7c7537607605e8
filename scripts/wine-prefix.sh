#!/usr/bin/env bash
# Makes the project's Wine prefix once and configures it; later calls return at once.
#
# A fresh prefix costs about 9 s (wineboot -i) plus a few seconds for the server to
# settle, so it is made once per build folder and reused by every test and `make run`.
# The stamp file is written last: a prefix whose creation was interrupted has no stamp
# and is wiped and made again by the next call. The stamp holds the configuration
# version below; raising it remakes prefixes made with older settings.
# Callers serialise on the session lock of with-wine.sh (with-wine.sh takes it before
# calling us and says so in DH_WINE_SESSION_LOCKED): so the prefix is never remade
# under a running session, and of concurrent callers (ctest -j, two terminals) the
# losers find the stamp once they get the lock, and return.
set -euo pipefail

. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

readonly config_version="dh-prefix 3"
readonly stamp="$WINEPREFIX/.dh-prefix-ready"

prefix_ready() {
  [ -f "$stamp" ] && [ "$(cat "$stamp" 2>/dev/null)" = "$config_version" ]
}

prefix_ready && exit 0

mkdir -p "$DH_WINE_ROOT" "$HOME"
if [ "${DH_WINE_SESSION_LOCKED:-}" != 1 ]; then
  exec 8>"$DH_WINE_ROOT/session.lock"
  if ! flock -n 8; then
    echo "wine-prefix: waiting for the Wine session on $WINEPREFIX to end" >&2
    flock 8
  fi
  prefix_ready && exit 0
fi

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
# 2 s after it ends, and screenshots lack title bars. A crashing program gets its
# backtrace printed and ends, instead of waiting on a crash dialog nobody can see.
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
  printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n'
  printf '"ShowCrashDialog"=dword:00000000\r\n'
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
   ! grep -q '"MS UI Gothic"="IPAGothic"' "$WINEPREFIX/user.reg" ||
   ! grep -q '"ShowCrashDialog"=dword:00000000' "$WINEPREFIX/user.reg"; then
  echo "wine-prefix: settings missing from $WINEPREFIX/user.reg" >&2
  exit 1
fi

# The title bars' buttons are glyphs of Wine's Marlett font (Debian's fonts-wine). This
# Wine does not load the fonts of its own data folder, so the buttons showed the
# letters "0 1 r"; fonts in the prefix's Fonts folder are loaded at every start.
marlett=/usr/share/wine/fonts/marlett.ttf
if [ ! -f "$marlett" ]; then
  echo "wine-prefix: $marlett is missing (Debian package fonts-wine; scripts/setup.sh installs it)" >&2
  exit 1
fi
cp "$marlett" "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf"

printf '%s\n' "$config_version" >"$stamp.tmp"
mv "$stamp.tmp" "$stamp"
echo "wine-prefix: ready" >&2
