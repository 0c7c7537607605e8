# shellcheck shell=bash
# Sourced (never run) before every Wine call of the project: `. scripts/wine-env.sh`.
#
# Every Wine program of the build talks to one prefix of our own under build/wine, with a
# throwaway HOME (Wine links the Desktop and Documents folders to HOME, and installers
# write there), the Japanese locale so that the ANSI code page is 932 as on the target
# machines, quiet debug channels, and no menu builder writing .desktop files into HOME.
# DH_WINE_ROOT moves the whole Wine state elsewhere (e.g. a private copy under /tmp).

dh_repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export DH_REPO="$dh_repo"
unset dh_repo
export DH_WINE_ROOT="${DH_WINE_ROOT:-$DH_REPO/build/wine}"

# The person's own HOME stays known to scripts that need it (pyenv shims, git).
if [ -z "${DH_HOST_HOME:-}" ]; then
  export DH_HOST_HOME="${HOME:-}"
fi

export WINEPREFIX="$DH_WINE_ROOT/prefix"
export HOME="$DH_WINE_ROOT/home"
export WINEDEBUG=-all
# LC_ALL too: a C or English LC_ALL in the caller's environment would otherwise win over
# LANG and Wine would pick code page 1252.
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
# No menu entries; no Mono or Gecko install prompts (nothing we run needs .NET or HTML).
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="

# This kernel runs no 32-bit code, so only the 64-bit loader is used; `wine` would pick
# the 32-bit one. The Debian wrapper /usr/lib/wine/wineserver forces -p0, so we call the
# real server binary where it exists. WINESERVER also tells the loader which server to
# start.
export WINE64="${WINE64:-/usr/lib/wine/wine64}"
if [ -x /usr/lib/wine/wineserver64 ]; then
  export WINESERVER=/usr/lib/wine/wineserver64
else
  export WINESERVER=/usr/lib/wine/wineserver
fi

export DH_SCREENSHOT_DIR="${DH_SCREENSHOT_DIR:-$DH_REPO/build/screenshots}"
