#!/usr/bin/env bash
# Placeholder: runs a Windows program under wine64 (the harness replaces this).
exec /usr/lib/wine/wine64 "$@"
