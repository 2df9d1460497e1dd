#!/usr/bin/env bash
# Runs VireoTool-4.exe under Wine: installs and builds whatever is missing first, then shows the
# program on your display, or, with no display, runs it headless under Xvfb, saves a screenshot
# and says where. Arguments go to scripts/demo.py (try --help).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" >/dev/null
exec python3 "$root/scripts/demo.py" "$@"
