#!/usr/bin/env bash
# Builds both trees: build/native (portable logic, unit tests, simulator) and
# build/win (the Windows program, Windows-side tests, the test driver).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
cmake -S "$root" -B "$root/build/win" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$root/build/win" -j "$jobs"
cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=Debug \
      -DVIREO_WIN_BUILD_DIR="$root/build/win" >/dev/null
cmake --build "$root/build/native" -j "$jobs"
