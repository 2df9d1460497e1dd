#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Installs every Debian package the build, the tests and the demo need. Idempotent:
# when all packages are present it does nothing.
set -euo pipefail
packages=(
  cmake g++ make python3
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
  wine wine64 xvfb
  locales
  doctest-dev
  imagemagick poppler-utils python3-pil
  nsis
  python3-reportlab fonts-dejavu-core
  clang libclang-rt-14-dev
  dpkg-dev groff-base man-db
  build-essential debhelper lintian devscripts autopkgtest
  nlohmann-json3-dev
  emscripten node-acorn nodejs
  chromium chromium-driver python3-selenium python3-websockets
  ansible-core ansible-lint python3-voluptuous
  systemd
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
# The browser page's tests take axe-core (and its benchmark lighthouse) from npm, at the versions
# tests/web/package-lock.json pins.
# Debian's npm package; a Node.js that brings its own npm (and conflicts with Debian's) is kept.
if ! command -v npm >/dev/null; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends npm
fi
root=$(cd "$(dirname "$0")/.." && pwd)
if [ ! -f "$root/tests/web/node_modules/axe-core/axe.min.js" ]; then
  (cd "$root/tests/web" && npm ci --ignore-scripts --no-audit --no-fund --loglevel=error)
fi
