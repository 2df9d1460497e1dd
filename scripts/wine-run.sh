#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Runs a Windows console program under Wine in the build's own test prefix,
# never prompting, and returns its exit code. Used by ctest for the Windows-side tests.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX="${VIREO_WINEPREFIX:-$(cd "$(dirname "$1")" && pwd)/wineprefix}"
ready="$WINEPREFIX/.null-display"  # written once the prefix is set up as below
if [ ! -f "$ready" ]; then
  mkdir -p "$WINEPREFIX"
  # Only the first runner initialises the prefix; the others wait for it.
  # Windows-side tests need windows and message boxes but no screen: the null display
  # driver gives them that without an X server.
  ( flock 9; [ -f "$ready" ] || {
      wineboot -i >/dev/null 2>&1
      wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
      wineserver -w
      touch "$ready"
    } ) 9>"$WINEPREFIX.lock"
fi
exec wine "$@"
