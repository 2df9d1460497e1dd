#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Builds the Debian package vireo4 from debian/ with dpkg-buildpackage, in a fresh copy of the
# source tree's tracked files (so nothing built or left in the tree goes into it):
#   bash scripts/build_deb.sh [OUTDIR]     OUTDIR (default build/deb) gets vireo4_*.deb
# The build dependencies: `apt-get build-dep ./` in the source tree (scripts/setup.sh has them).
# A release build uses no compiler cache: what ships is compiled from the sources it carries.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(mkdir -p "${1:-$root/build/deb}" && cd "${1:-$root/build/deb}" && pwd)
version=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)
copy="$out/src/vireo4-${version%-*}"
rm -rf "$out/src" "$out"/vireo4_* "$out"/vireo4-dbgsym_*
mkdir -p "$copy"
if git -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  (cd "$root" && git ls-files -z | tar --null -T - -cf -) | tar -xf - -C "$copy"
else
  tar -C "$root" --exclude=./build --exclude=node_modules -cf - . | tar -xf - -C "$copy"
fi
unset CMAKE_C_COMPILER_LAUNCHER CMAKE_CXX_COMPILER_LAUNCHER
(cd "$copy" && dpkg-buildpackage -us -uc -b) > "$out/build.log" 2>&1 || {
  tail -n 40 "$out/build.log" >&2
  echo "build_deb: dpkg-buildpackage failed; the whole log is $out/build.log" >&2
  exit 1
}
mv "$out"/src/vireo4_* "$out"/src/vireo4-dbgsym_* "$out"/ 2>/dev/null || true
ls "$out"/vireo4_*.deb
