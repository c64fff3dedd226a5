#!/usr/bin/env bash
# Installs the Debian packages named that are not installed yet, with sudo
# when not root. Quick when all are there.
# Usage: tools/install-packages.sh package ...
set -euo pipefail

missing=()
for package in "$@"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null |
    grep -q 'install ok installed' || missing+=("$package")
done
((${#missing[@]})) || exit 0

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || {
    echo "Need root or sudo to install: ${missing[*]}" >&2
    exit 1
  }
  as_root=(sudo)
fi
echo "Installing ${missing[*]}"
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" \
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
