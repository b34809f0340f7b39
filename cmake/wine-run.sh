#!/bin/sh
# Runs a Windows program under Wine with a private, quiet prefix that is created on first use.
set -e
WINE=$(command -v wine64 || true)
[ -n "$WINE" ] || WINE=/usr/lib/wine/wine64
export WINEDEBUG=-all
export WINEPREFIX="${TARVEL_WINEPREFIX:-${TMPDIR:-/tmp}/tarvel-wine-$(id -u)}"
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  # Tests start in parallel: only one of them creates the prefix.
  (
    flock 9
    [ -f "$WINEPREFIX/system.reg" ] || "$WINE" wineboot --init >/dev/null 2>&1
  ) 9>"$WINEPREFIX.lock"
fi
exec "$WINE" "$@"
