#!/usr/bin/env bash
# Inside a Debian 13 root (tools/make-windows-zip.sh makes it): cross-builds
# Tolvane for 64-bit Windows against Qt built from Debian's own source and
# writes the ZIP archive to OUT_DIR.
# Usage: tools/windows/build-zip.sh CACHE_DIR OUT_DIR
set -euo pipefail
cd "$(dirname "$0")/../.."
cache=$1 out=$2

echo "== Installing the cross compiler and the host's Qt tools"
tools/install-packages.sh ca-certificates git cmake ninja-build dpkg-dev zip \
  g++-mingw-w64-x86-64-posix qt6-base-dev qt6-base-dev-tools
tools/windows/build-qt.sh "$cache"
