#!/usr/bin/env bash
# Runs a Windows console program under Wine in the build's own test prefix,
# never prompting, and returns its exit code. Used by ctest for the Windows-side tests.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX="${VIREO_WINEPREFIX:-$(cd "$(dirname "$1")" && pwd)/wineprefix}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  # Only the first runner initialises the prefix; the others wait for it.
  ( flock 9; [ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1 ) 9>"$WINEPREFIX.lock"
fi
# Without an X display top-level windows fail; Wine's null display driver still gives
# real windows, controls, menus and message boxes (no pixels). The driver is chosen when
# the prefix's session starts, so wait for that session to end after setting it.
if [ -z "${DISPLAY:-}" ] && ! grep -q '"Graphics"="null"' "$WINEPREFIX/user.reg" 2>/dev/null; then
  ( flock 9
    if ! grep -q '"Graphics"="null"' "$WINEPREFIX/user.reg" 2>/dev/null; then
      wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
      wineserver -w
    fi ) 9>"$WINEPREFIX.lock"
fi
exec wine "$@"
