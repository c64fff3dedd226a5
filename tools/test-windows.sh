#!/usr/bin/env bash
# Runs the test suite on Windows, as far as Wine is Windows: the tests of
# this repository's HEAD cross-built in a fresh Debian 13 root, as for
# tools/make-windows-zip.sh, and run by ctest under Wine. Run as root.
# Usage: tools/test-windows.sh   (TOLVANE_CACHE, DEBIAN_MIRROR as there)
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
source tools/debian-root.sh
cache=${TOLVANE_CACHE:-/var/cache/tolvane}
logs=$PWD/build-win64/test-logs
need_free_space 13 /var/tmp "$cache"
rm -rf "$logs"
debian_root 13 "$cache:/var/cache/tolvane" "$cache/debs:/var/cache/apt/archives"
echo "== Installing the cross compiler, the host's Qt tools and Wine"
mapfile -t packages < <(grep -v '^#' tools/windows/packages.txt)
in_root_logged "$logs/packages.log" tools/install-packages.sh "${packages[@]}" \
  googletest wine wine64 fonts-dejavu-core
in_root tools/qt/build-qt.sh windows /var/cache/tolvane
echo "== Building the tests for Windows"
in_root_logged "$logs/build.log" sh -c \
  'cmake --preset windows-tests -B /build/tests && cmake --build /build/tests'
echo "== Running them under Wine"
in_root ctest --test-dir /build/tests --output-on-failure --no-tests=error
