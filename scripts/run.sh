#!/usr/bin/env bash
# run.sh (`make run`): installs the viewer with the built installer under Wine, the way a
# person would, and shows what the installation left behind.
#
# It removes a previous run's installation from the prefix, starts the installer, walks
# through the five wizard pages (default folder, both shortcut boxes checked), saves a
# screenshot of every page and of the final message to build/screenshots/run-*.png,
# answers "インストール完了しました" and prints the installed folders, "Uninst.dat", the
# shortcuts and the registry values. DH_RUN_UPDATE=1 then demonstrates an update started
# by the viewer: the recorded version is made older and the installer runs with "-ai".
#
# `make run` has a Wine prefix of its own, build/wine-run (made on the first run), so it
# never disturbs the prefix of the tests; DH_WINE_ROOT picks another.
#
# With a display of your own (DH_USE_DISPLAY=1, or INTERACTIVE=1, and DISPLAY set) the
# installer appears on it and is left to you; the script ends when the installer does.
# Otherwise it runs on a private Xvfb. The built 64-bit installer is what runs: this
# machine runs no 32-bit code. DH_RUN_EXE names another program to start instead.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
repo="$(cd "$here/.." && pwd)"
exe="${DH_RUN_EXE:-$repo/build/win64/DHViewSetup.exe}"
wintool_exe="$repo/build/win64/tests/gui/wintool.exe"
export DH_WINE_ROOT="${DH_WINE_ROOT:-$repo/build/wine-run}"
readonly main_class="MainWindowClass For DHViewSetup"
# Guards against a hang only; each step takes well under a second once the session is
# up, the installation a few seconds.
readonly step_timeout_ms=60000
readonly work_timeout_ms=300000
readonly id_back=50000 id_next=50001 id_text=1001 id_browse=1007
readonly id_start_menu=1005 id_desktop=1006
# An installed version below this setup's ("1.0.4.8219"), for the update demonstration.
readonly older_version="1.0.3.9000"

if [ "${INTERACTIVE:-}" = 1 ] && [ -n "${DISPLAY:-}" ]; then
  export DH_USE_DISPLAY=1
fi
interactive=0
if [ "${DH_USE_DISPLAY:-}" = 1 ] && [ -n "${DISPLAY:-}" ]; then interactive=1; fi

for needed in "$exe" "$wintool_exe"; do
  if [ ! -f "$needed" ]; then
    echo "run: $needed does not exist; build it first with \`make win64\`" >&2
    exit 1
  fi
done

if [ "${DH_WINE_SESSION:-}" != 1 ]; then
  exec bash "$here/with-wine.sh" bash "${BASH_SOURCE[0]}" "$@"
fi
. "$here/wine-env.sh"
. "$here/installation.sh"

wintool() { "$WINE64" "$wintool_exe" "$@"; }
utf8() { iconv -f CP932 -t UTF-8 | tr -d '\r'; }
mkdir -p "$DH_SCREENSHOT_DIR"

app=""
finished() { ! kill -0 "$app" 2>/dev/null; }

start_installer() {
  echo "run: starting $exe${1:+ $1}"
  # shellcheck disable=SC2086
  "$WINE64" "$exe" ${1:-} &
  app=$!
}

# Waits for the installer to end (it should be about to) and puts its exit status into
# `status`. Not in a subshell: only this shell can wait for its child.
wait_installer() {
  status=0
  for _ in $(seq 1 100); do
    finished && break
    sleep 0.1
  done
  if ! finished; then
    echo "run: the installer did not end; the Wine session ends it" >&2
    exit 1
  fi
  wait "$app" || status=$?
}

shot() {
  local png="$DH_SCREENSHOT_DIR/$1"
  if wintool screenshot "$png" ${2:+"$2"}; then
    echo "run: screenshot $png"
  else
    echo "run: the screenshot $png could not be saved" >&2
  fi
}

fail() {
  echo "run: $*" >&2
  shot run-failed.png
  # A message box on the screen says why.
  wintool wait-box 0 2>/dev/null | utf8 | sed 's/^/run: message box: /' >&2 || true
  exit 1
}

# Waits for a page by a control it alone has (and the text it must show), then saves it.
page() {
  local png="$1" id="$2" text="${3:-}"
  wintool wait-control "$main_class" "$id" "$step_timeout_ms" ${text:+"$text"} >/dev/null ||
    fail "the page of $png did not appear"
  shot "$png" "$main_class"
}

next() { wintool click "$main_class" "$id_next" "$step_timeout_ms" || fail "Next could not be pressed"; }

# Waits for the message box that ends a run, saves it, answers it and prints it.
final_message() {
  local png="$1" expected="$2" text status=0
  wintool wait-box "$work_timeout_ms" >/dev/null || fail "no message box appeared"
  shot "$png"
  text="$(wintool answer-box 1 "$step_timeout_ms" ${expected:+"$expected"})" || status=$?
  echo "run: message: $(utf8 <<<"$text" | tr '\n' ' ')"
  return "$status"
}

if [ "$interactive" = 1 ]; then
  start_installer
  wintool wait-window "$main_class" "$step_timeout_ms" >/dev/null ||
    { echo "run: no main window appeared" >&2; exit 1; }
  echo "run: the installer is on $DISPLAY; the script ends when it does"
  status=0
  wait "$app" || status=$?
  echo "run: the installer ended (status $status)"
  exit "$status"
fi

echo "run: removing a previous installation from $WINEPREFIX"
dh_remove_installation

start_installer
if ! wintool wait-window "$main_class" "$step_timeout_ms" >/dev/null; then
  finished && fail "the installer ended without showing its main window"
  fail "no main window (class \"$main_class\") appeared"
fi

# The welcome page has no controls of its own; Back is disabled there.
wintool is-enabled "$main_class" "$id_back" && fail "Back is enabled on the welcome page"
page run-1-welcome.png "$id_next" "次へ>"
next
page run-2-readme.png "$id_next" "同意する"
next
page run-3-folder.png "$id_browse"
echo "run: install folder: $(wintool get-text "$main_class" "$id_text" | utf8)"
next
# The folder does not exist yet: the installer says it will make it.
text="$(wintool answer-box 1 "$step_timeout_ms" "新しくディレクトリを作成します")" ||
  fail "the new-folder message did not come: $(utf8 <<<"$text" | tr '\n' ' ')"
echo "run: message: $(utf8 <<<"$text" | tr '\n' ' ')"
wintool wait-control "$main_class" "$id_start_menu" "$step_timeout_ms" >/dev/null ||
  fail "the shortcut page did not appear"
wintool check "$main_class" "$id_start_menu" 1 || fail "the Start-menu box could not be checked"
wintool check "$main_class" "$id_desktop" 1 || fail "the desktop box could not be checked"
shot run-4-shortcuts.png "$main_class"
next
page run-5-confirm.png "$id_next" "完了"
echo "run: confirmation:"
wintool get-text "$main_class" "$id_text" | utf8 | sed '/^$/d; s/^/  /'
next

outcome=0
final_message run-6-complete.png "インストール完了しました" || outcome=$?
wait_installer
echo "run: the installer closed (status $status)"
[ "$outcome" = 0 ] || fail "the installation did not complete"

dh_report_installation

if [ "${DH_RUN_UPDATE:-}" = 1 ]; then
  echo
  echo "run: update demonstration: the recorded version becomes $older_version, then \"-ai\""
  "$WINE64" reg add "$(dh_key Uninstall)" /v DisplayVersion /d "$older_version" /f \
    </dev/null >/dev/null 2>&1 || fail "DisplayVersion could not be rewritten"
  before="$(dh_checksums)"
  start_installer -ai
  wintool wait-window "$main_class" "$step_timeout_ms" >/dev/null ||
    fail "the update showed no window"
  # Under Wine the registry transaction is a stub: the registry step fails, its rollback
  # reports "RollbackTransaction失敗", and the update ends in its failure message (520)
  # with the folders restored. Every box is saved, printed and answered until the
  # installer ends.
  shots=0
  logged=0
  deadline=$((SECONDS + work_timeout_ms / 1000))
  while ! finished; do
    [ "$SECONDS" -lt "$deadline" ] || fail "the update did not end"
    wintool wait-box 2000 >/dev/null 2>&1 || continue
    shots=$((shots + 1))
    # The update's log so far, the lines not shown yet.
    log="$(wintool get-text "$main_class" "$id_text" | utf8 | sed '/^$/d')" || log=""
    [ "$shots" = 1 ] && echo "run: the update's log:"
    tail -n +"$((logged + 1))" <<<"$log" | sed '/^$/d; s/^/  /'
    logged="$(wc -l <<<"$log")"
    final_message "run-7-update-$shots.png" "" || true
  done
  wait_installer
  echo "run: the update closed (status $status)"
  echo "run: after the update:"
  dh_reg query "$(dh_key Uninstall)" /v DisplayVersion | sed '/^$/d; s/^/  /' || true
  dh_reg query "$(dh_key Settings)" /v UpdateSuccess | sed '/^$/d; s/^/  /' ||
    echo "  UpdateSuccess: (not written)"
  if [ "$before" = "$(dh_checksums)" ]; then
    echo "run: the install and application-data folders are byte for byte as before the update"
  else
    echo "run: the install and application-data folders differ from before the update:"
    diff <(echo "$before") <(dh_checksums) | sed 's/^/  /' || true
  fi
fi
echo "run: screenshots in $DH_SCREENSHOT_DIR"

# The README's gallery (docs/gallery): the fresh installation's pictures at half size in
# 64 colours, a few kilobytes each, so that the repository can carry them.
gallery="$DH_SCREENSHOT_DIR/gallery"
mkdir -p "$gallery"
for png in "$DH_SCREENSHOT_DIR"/run-[1-6]-*.png; do
  [ -f "$png" ] || continue
  convert "$png" -resize 50% -colors 64 -strip "PNG8:$gallery/$(basename "$png")"
done
echo "run: small copies for docs/gallery in $gallery"
