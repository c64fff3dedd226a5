#!/usr/bin/env bash
# Inside a Debian 13 root: installs the cross compiler, the host's Qt tools
# and the packages named, and makes sure Qt for Windows is at
# /opt/qt6-win64 (built once, then taken from the cache).
# Usage: tools/windows/prepare.sh CACHE_DIR [package ...]
set -euo pipefail
cd "$(dirname "$0")/../.."
echo "== Installing the cross compiler and the host's Qt tools"
tools/install-packages.sh ca-certificates git cmake ninja-build dpkg-dev zip \
  g++-mingw-w64-x86-64-posix qt6-base-dev qt6-base-dev-tools "${@:2}"
tools/windows/build-qt.sh "$1"
