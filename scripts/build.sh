#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Builds the four trees: build/web (the core as WebAssembly and the browser page in
# build/web/site; the core's unit tests for Node), build/win (the Windows program, its installer
# with the page, Windows-side tests, the test driver), build/fuzz (clang's libFuzzer harnesses)
# and build/native (portable logic, unit tests, simulator, vireo4 and its package with the page;
# its ctest runs every tier, the bounded fuzz runs and the page's tests included).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
# Debian's emscripten runs its JavaScript tools under Node with acorn from node-acorn.
NODE_PATH=/usr/share/nodejs emcmake cmake -S "$root" -B "$root/build/web" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/web" -j "$jobs"
cmake -S "$root" -B "$root/build/win" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DVIREO_WEB_BUILD_DIR="$root/build/web" >/dev/null
cmake --build "$root/build/win" -j "$jobs"
CC=clang CXX=clang++ cmake -S "$root" -B "$root/build/fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DVIREO_FUZZ=ON >/dev/null
cmake --build "$root/build/fuzz" -j "$jobs"
cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=Debug -DVIREO_WEB_BUILD_DIR="$root/build/web" \
      -DVIREO_WIN_BUILD_DIR="$root/build/win" -DVIREO_FUZZ_BUILD_DIR="$root/build/fuzz" >/dev/null
cmake --build "$root/build/native" -j "$jobs"
