#!/usr/bin/env bash
# run.sh (`make run`): starts the installer under Wine, waits for its main window, saves
# a screenshot to build/screenshots/run.png and closes it again.
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
readonly main_class="MainWindowClass For DHViewSetup"
# Guards against a hang; a normal start takes well under a second once the session is up.
readonly start_timeout_ms=60000

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

wintool() { "$WINE64" "$wintool_exe" "$@"; }

echo "run: starting $exe"
"$WINE64" "$exe" &
app=$!

finished() { ! kill -0 "$app" 2>/dev/null; }

if ! wintool wait-window "$main_class" "$start_timeout_ms" >/dev/null; then
  if finished; then
    status=0
    wait "$app" || status=$?
    echo "run: the installer ended (status $status) without showing its main window" >&2
  else
    echo "run: no main window (class \"$main_class\") appeared" >&2
  fi
  exit 1
fi

shot="$DH_SCREENSHOT_DIR/run.png"
mkdir -p "$DH_SCREENSHOT_DIR"
if wintool screenshot "$shot"; then
  echo "run: screenshot saved to $shot"
else
  echo "run: the screenshot could not be saved" >&2
fi

if [ "$interactive" = 1 ]; then
  echo "run: the installer is on $DISPLAY; the script ends when it does"
  status=0
  wait "$app" || status=$?
  echo "run: the installer ended (status $status)"
  exit "$status"
fi

# WM_CLOSE, as the title bar's close button sends; a question the installer asks on the
# way out ("cancel the setup?") is shown here and answered Yes (or OK).
wintool close "$main_class" || true
for _ in $(seq 1 20); do
  finished && break
  if question="$(wintool answer-box 6 500)"; then
    echo "run: answered the question: $(iconv -f CP932 -t UTF-8 <<<"$question" | tr '\n' ' ')"
  fi
done
if ! finished; then
  echo "run: the installer did not close; the Wine session ends it" >&2
  exit 1
fi
status=0
wait "$app" || status=$?
echo "run: the installer closed (status $status)"
echo "run: screenshot: $shot"
