#!/usr/bin/env bash
# Installs the vireo4 Debian package with dpkg -i and shows the installed program's version.
#   bash scripts/install_deb.sh               builds build/native's target package (up to date
#                                             or not), then installs build/native/vireo4_*.deb
#   bash scripts/install_deb.sh FILE.deb      installs that package
# Needs root (asks sudo otherwise). Remove with: dpkg -r vireo4
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deb=${1:-}
if [ -z "$deb" ]; then
  if [ ! -f "$root/build/native/CMakeCache.txt" ]; then
    echo "install_deb: build/native is not configured; run scripts/build.sh first" >&2
    exit 1
  fi
  cmake --build "$root/build/native" --target package
  deb=$(ls -t "$root"/build/native/vireo4_*.deb 2>/dev/null | head -n 1 || true)
  if [ -z "$deb" ]; then
    echo "install_deb: no vireo4_*.deb in build/native (is the vireo4 target built there?)" >&2
    exit 1
  fi
fi
[ -f "$deb" ] || { echo "install_deb: $deb: no such file" >&2; exit 1; }
SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
echo "install_deb: installing $deb"
$SUDO dpkg -i "$deb"
echo "install_deb: /usr/bin/vireo4 --version"
/usr/bin/vireo4 --version
