#!/usr/bin/env bash
# with-wine.sh CMD [ARGS...]: runs CMD inside a Wine session of the project and returns
# CMD's exit status.
#
# A session is: the project's prefix (made once by wine-prefix.sh), an X display (a
# private Xvfb, or the person's own display when DH_USE_DISPLAY=1 and DISPLAY is set)
# and one persistent wineserver. Keeping the server alive for the whole session is what
# makes each test start fast (about 50 ms for a console program, 170 ms for a GUI one,
# instead of a second or more for a cold server). CMD sees the Wine environment of
# wine-env.sh plus DISPLAY and DH_WINE_SESSION=1; wine-exec.sh and a nested with-wine.sh
# join the session instead of starting another.
#
# Only one session runs per prefix at a time (a lock file): two would share one
# wineserver, and the first to finish would kill the other's programs. On exit, normal
# or by signal, the session stops what it started and nothing else: the wineserver of
# its own prefix (which ends every Wine program of that prefix) and its own Xvfb.
set -uo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

if [ $# -eq 0 ]; then
  echo "usage: with-wine.sh CMD [ARGS...]" >&2
  exit 2
fi

if [ "${DH_WINE_SESSION:-}" = 1 ]; then
  exec "$@"
fi

. "$here/wine-env.sh"
mkdir -p "$DH_WINE_ROOT" "$DH_SCREENSHOT_DIR"

# fd 9 holds the session lock; no child inherits it, so a daemon cannot outlive us
# holding it.
exec 9>"$DH_WINE_ROOT/session.lock"
if ! flock -n 9; then
  echo "with-wine: waiting for another Wine session on $WINEPREFIX" >&2
  flock 9
fi
DH_WINE_SESSION_LOCKED=1 bash "$here/wine-prefix.sh" 9>&- ||
  { echo "with-wine: the Wine prefix could not be made" >&2; exit 1; }

xvfb_pid=""
server_started=0
child=""

# Every process below pid, by walking parent links: CMD may be a shell whose own
# children would outlive it.
descendants() {
  local p
  for p in $(pgrep -P "$1"); do
    echo "$p"
    descendants "$p"
  done
}

cleanup() {
  local rc=$?
  trap - EXIT INT TERM HUP
  if [ -n "$child" ] && kill -0 "$child" 2>/dev/null; then
    # shellcheck disable=SC2046
    kill -TERM "$child" $(descendants "$child") 2>/dev/null
    wait "$child" 2>/dev/null
  fi
  if [ "$server_started" = 1 ]; then
    # -k ends the server and every program of this prefix; the server writes the
    # registry back on its way out, so wait for it (bounded).
    "$WINESERVER" -k 2>/dev/null
    timeout 30 "$WINESERVER" -w 2>/dev/null
  fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  exit "$rc"
}
trap cleanup EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

# Starts Xvfb on the first free display of :90..:99. -displayfd makes our own server
# tell us its number once it accepts connections, so we never mistake someone else's
# server for ours.
start_xvfb() {
  local n ready log="$DH_WINE_ROOT/xvfb.log"
  ready="$(mktemp "$DH_WINE_ROOT/xvfb-ready.XXXXXX")"
  for n in $(seq 90 99); do
    if [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; then
      continue
    fi
    : >"$ready"
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -displayfd 3 \
      3>"$ready" </dev/null >"$log" 2>&1 9>&- &
    xvfb_pid=$!
    for _ in $(seq 1 200); do
      if [ -s "$ready" ]; then
        DISPLAY=":$(tr -d '[:space:]' <"$ready")"
        export DISPLAY
        rm -f "$ready"
        return 0
      fi
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep 0.05
    done
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=""
  done
  rm -f "$ready"
  echo "with-wine: no Xvfb could start on :90..:99 (see $log)" >&2
  return 1
}

if [ "${DH_USE_DISPLAY:-}" = 1 ] && [ -n "${DISPLAY:-}" ]; then
  # Wine would run without complaint on a display it cannot open, windowless.
  if ! xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then
    echo "with-wine: cannot open the display $DISPLAY" >&2
    exit 1
  fi
  echo "with-wine: using the display $DISPLAY" >&2
else
  [ "${DH_USE_DISPLAY:-}" = 1 ] && echo "with-wine: DH_USE_DISPLAY=1 but no DISPLAY; using Xvfb" >&2
  start_xvfb || exit 1
fi

# The server daemonises; it must not hold our stdout (ctest or a pipe would wait for it).
# Status 2 means a server already runs on the prefix. Holding the session lock, that
# can only be one left by a session that was killed outright: its desktop is bound to
# a display that may be gone, so it is stopped and replaced.
start_server() { "$WINESERVER" -p </dev/null >/dev/null 2>&1 9>&-; }
start_server
status=$?
if [ "$status" -eq 2 ]; then
  echo "with-wine: stopping a wineserver left running on $WINEPREFIX" >&2
  "$WINESERVER" -k 2>/dev/null
  timeout 30 "$WINESERVER" -w 2>/dev/null
  start_server
  status=$?
fi
if [ "$status" -ne 0 ]; then
  echo "with-wine: wineserver did not start (status $status)" >&2
  exit 1
fi
server_started=1

# Warm-up: the first program of a session starts the Wine services, and the first one
# with a window starts the virtual desktop (explorer.exe). Those live until the session
# ends and keep the stdio of whoever started them: started here, with quiet stdio, they
# hold no output pipe of CMD's first test (ctest would wait for it). rundll32 creates a
# hidden window and calls a harmless function.
if ! "$WINE64" rundll32.exe user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1 9>&-; then
  echo "with-wine: Wine does not start on $WINEPREFIX" >&2
  exit 1
fi

export DH_WINE_SESSION=1
# Started in the background so that a signal reaches our trap at once; stdin is given
# explicitly because a background command would otherwise read /dev/null.
"$@" <&0 9>&- &
child=$!
wait "$child"
rc=$?
child=""
exit "$rc"
