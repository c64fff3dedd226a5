#!/usr/bin/env bash
# Installs the Debian packages named that are not installed yet, with sudo
# when not root. Quick when all are there.
# Usage: tools/install-packages.sh package ...
#        tools/install-packages.sh --build-deps   what debian/control needs
#                                                 to build, without the tests
set -euo pipefail

missing=()
if [ "${1:-}" = --build-deps ]; then
  cd "$(dirname "$0")/.."
  dpkg-checkbuilddeps -P nocheck 2>/dev/null && exit 0
  missing=(the build dependencies of debian/control)
else
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null |
      grep -q 'install ok installed' || missing+=("$package")
  done
  ((${#missing[@]})) || exit 0
fi

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
[ -z "${as_root[*]}" ] || command -v sudo >/dev/null ||
  { echo "Need root or sudo to install: ${missing[*]}" >&2; exit 1; }
echo "Installing ${missing[*]}"
# Commands side by side install in turn: apt would refuse the second.
apt_get() {
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive flock /tmp/tolvane-apt.lock \
    apt-get -o DPkg::Lock::Timeout=600 "$@"
}
apt_get update -qq
if [ "${1:-}" = --build-deps ]; then
  apt_get build-dep -y -qq --no-install-recommends -P nocheck ./ >/dev/null
else
  apt_get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
