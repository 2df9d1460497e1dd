#!/usr/bin/env bash
# Builds the three trees: build/win (the Windows program, Windows-side tests, the test
# driver), build/fuzz (clang's libFuzzer harnesses) and build/native (portable logic, unit
# tests, simulator; its ctest runs every tier, the bounded fuzz runs included).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
cmake -S "$root" -B "$root/build/win" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$root/build/win" -j "$jobs"
CC=clang CXX=clang++ cmake -S "$root" -B "$root/build/fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DVIREO_FUZZ=ON >/dev/null
cmake --build "$root/build/fuzz" -j "$jobs"
cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=Debug \
      -DVIREO_WIN_BUILD_DIR="$root/build/win" -DVIREO_FUZZ_BUILD_DIR="$root/build/fuzz" >/dev/null
cmake --build "$root/build/native" -j "$jobs"
