#!/usr/bin/env bash
# wine-exec.sh PROG [ARGS...]: runs a Windows program under Wine with the project's
# environment; CTest's cross-compiling emulator for the win64 build.
#
# Inside a session (with-wine.sh, e.g. `make test-wine`) it joins the session's
# persistent wineserver and costs a few tens of milliseconds. Alone (a bare `ctest` in
# build/win64) it opens a session of its own for this one program: slower, but right.
# The exit status is the program's, so failing GoogleTest cases fail the CTest test.
#
# A program still running after DH_WINE_TIMEOUT seconds (default 300; 0 for no limit)
# is stopped and fails with status 124: a message box nobody answers would otherwise
# hold the whole test run, as CTest sets no time limit of its own.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

if [ $# -eq 0 ]; then
  echo "usage: wine-exec.sh PROG [ARGS...]" >&2
  exit 2
fi

if [ "${DH_WINE_SESSION:-}" != 1 ]; then
  exec bash "$here/with-wine.sh" bash "$here/wine-exec.sh" "$@"
fi

. "$here/wine-env.sh"
limit="${DH_WINE_TIMEOUT:-300}"
if [ "$limit" = 0 ]; then
  exec "$WINE64" "$@"
fi
status=0
timeout --kill-after=10 "$limit" "$WINE64" "$@" || status=$?
if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
  echo "wine-exec: $1 was still running after $limit s and was stopped" >&2
  exit 124
fi
exit "$status"
