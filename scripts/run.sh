#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Runs VireoTool-4.exe under Wine with two simulated readers (a Vireo-4KRM on COM3 and a
# Vireo-4-USB on COM4): installs and builds whatever is missing first, then shows the program on
# your display, or, with no display, runs it headless under Xvfb, lets it find the reader and
# read its settings, saves screenshots and says where. Ending the program ends the readers.
# Arguments go to scripts/demo.py (try --help).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" >/dev/null
exec python3 "$root/scripts/demo.py" "$@"
