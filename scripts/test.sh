#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Runs every test: native unit tests, Windows-side tests under Wine, and end-to-end
# tests of the real program under Wine and Xvfb. One ctest run covers all three tiers.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
cd "$root/build/native"
ctest --output-on-failure -j 2 "$@"
