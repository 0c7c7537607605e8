# shellcheck shell=bash
# Sourced (never run) by run.sh inside a Wine session: where an installation of the
# viewer lands in the session's prefix, how to remove it, and how to show it.
#
# Needs the environment of wine-env.sh (WINEPREFIX, HOME, WINE64) and a running session.
# The registry keys are read out of src/registry/FixedKeys.h, the one place the program
# names them, so this script cannot drift from the program.

dh_drive="$WINEPREFIX/drive_c"
# Wine names the Windows user after the Unix one.
dh_user_dir="$dh_drive/users/$(id -un)"
dh_install_dir="$dh_drive/Program Files/Dravenholt"
dh_appdata_dir="$dh_user_dir/AppData/Roaming/Dravenholt"
# My Documents and the desktop are links to the session's HOME.
dh_documents_dir="$HOME/Dravenholt"
dh_programs_dir="$dh_user_dir/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Dravenholt"
dh_desktop_link="$HOME/Dravenholtビューア.lnk"
# The update's backups go to the temporary folder.
dh_backup_dir="$dh_user_dir/Temp/Dravenholt"
dh_uninst_dat="$dh_install_dir/Viewer/Uninst.dat"
readonly dh_browser_value="DHViewer.exe"

# Prints "NAME<TAB>HIVE\PATH" for every key of FixedKeys.h (Settings, Uninstall,
# BrowserEmulation, InternetSettings).
dh_fixed_keys() {
  python3 - "$DH_REPO/src/registry/FixedKeys.h" <<'EOF'
import re, sys
text = open(sys.argv[1], encoding="utf-8").read()
for name, root, path in re.findall(
        r'cFixedKey\s+k(\w+)Key\s*=\s*\{\s*(HKEY_\w+)\s*,\s*"((?:[^"\\]|\\.)*)"', text):
    print(f"{name}\t{root}\\{path.replace(chr(92) * 2, chr(92))}")
EOF
}

# The key NAME (Settings, Uninstall, BrowserEmulation) as `reg` takes it.
dh_key() {
  local key
  key="$(dh_fixed_keys | awk -F '\t' -v name="$1" '$1 == name { print $2 }')"
  if [ -z "$key" ]; then
    echo "installation: no key $1 in src/registry/FixedKeys.h" >&2
    return 1
  fi
  printf '%s\n' "$key"
}

dh_reg() { "$WINE64" reg "$@" </dev/null 2>/dev/null | iconv -f CP932 -t UTF-8 | tr -d '\r'; }

# Removes every trace of an installation from the prefix: folders, links, backups,
# the viewer's settings, its uninstall entry and its browser-emulation value.
dh_remove_installation() {
  rm -rf "$dh_install_dir" "$dh_appdata_dir" "$dh_documents_dir" "$dh_programs_dir" \
         "$dh_desktop_link" "$dh_backup_dir"
  "$WINE64" reg delete "$(dh_key Settings)" /f </dev/null >/dev/null 2>&1 || true
  "$WINE64" reg delete "$(dh_key Uninstall)" /f </dev/null >/dev/null 2>&1 || true
  "$WINE64" reg delete "$(dh_key BrowserEmulation)" /v "$dh_browser_value" /f \
    </dev/null >/dev/null 2>&1 || true
}

# One line per file and folder below $1, relative to it, with the sizes of files.
dh_tree() {
  if [ ! -d "$1" ]; then
    echo "  (missing)"
    return
  fi
  (cd "$1" && find . -mindepth 1 \( -type d -printf '  %P/\n' \) -o \
                                  \( -type f -printf '  %P  (%s bytes)\n' \) | sort)
}

# One checksum line per file of the install and application-data folders, to tell
# whether an update put them back byte for byte.
dh_checksums() {
  local dir
  for dir in "$dh_install_dir" "$dh_appdata_dir"; do
    [ -d "$dir" ] || { echo "missing $dir"; continue; }
    (cd "$dir" && find . -type f -print0 | sort -z | xargs -0 -r sha256sum)
    (cd "$dir" && find . -type d | sort)
  done
}

# Shows what the installation left in the prefix.
dh_report_installation() {
  echo "== install folder: C:\\Program Files\\Dravenholt ($dh_install_dir)"
  dh_tree "$dh_install_dir"
  echo "== application data: %APPDATA%\\Dravenholt ($dh_appdata_dir)"
  dh_tree "$dh_appdata_dir"
  echo "== contents folder: My Documents\\Dravenholt ($dh_documents_dir)"
  dh_tree "$dh_documents_dir"

  echo "== Uninst.dat (dhpack uninst)"
  if [ -f "$dh_uninst_dat" ]; then
    "$DH_REPO/build/tools/tools/dhpack/dhpack" uninst "$dh_uninst_dat" | sed 's/^/  /' ||
      echo "  (dhpack could not read it)"
  else
    echo "  (missing)"
  fi

  echo "== shortcuts (.lnk)"
  local found=0 link
  while IFS= read -r -d '' link; do
    found=1
    # The target is stored in the link as a narrow path.
    echo "  $link -> $(strings -n 8 "$link" | iconv -f CP932 -t UTF-8 2>/dev/null |
                       grep -m1 -i '^[A-Z]:\\.*DHViewer\.exe$' || echo '?')"
  done < <(find "$dh_user_dir" "$HOME" -name '*.lnk' -print0 2>/dev/null)
  [ "$found" = 1 ] || echo "  (none)"

  echo "== registry"
  local name
  for name in Settings Uninstall; do
    dh_reg query "$(dh_key "$name")" /s | sed '/^$/d; s/^/  /' ||
      echo "  $(dh_key "$name"): (missing)"
  done
  dh_reg query "$(dh_key BrowserEmulation)" /v "$dh_browser_value" | sed '/^$/d; s/^/  /' ||
    echo "  $(dh_key BrowserEmulation) $dh_browser_value: (missing)"
}
