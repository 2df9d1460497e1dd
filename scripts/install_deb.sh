#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Installs the vireo4 Debian package with apt-get (which brings what it depends on) and shows the
# installed program's version.
#   bash scripts/install_deb.sh               builds it first (scripts/build_deb.sh, build/deb)
#   bash scripts/install_deb.sh FILE.deb      installs that package
# Needs root (asks sudo otherwise). Remove with: apt-get remove vireo4
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deb=${1:-}
if [ -z "$deb" ]; then
  deb=$(bash "$root/scripts/build_deb.sh" "$root/build/deb")
fi
[ -f "$deb" ] || { echo "install_deb: $deb: no such file" >&2; exit 1; }
deb=$(cd "$(dirname "$deb")" && pwd)/$(basename "$deb")
SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
echo "install_deb: installing $deb"
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y "$deb"
echo "install_deb: /usr/bin/vireo4 --version"
/usr/bin/vireo4 --version
