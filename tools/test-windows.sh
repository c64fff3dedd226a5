#!/usr/bin/env bash
# Runs the test suite on Windows, as far as Wine is Windows: the tests of
# this repository's HEAD cross-built in a fresh Debian 13 root, as for
# tools/make-windows-zip.sh, and run by ctest under Wine. Run as root.
# Logs in build-win64/tests/logs.
# Usage: tools/test-windows.sh   (TOLVANE_CACHE, DEBIAN_MIRROR as there)
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
source tools/platform-zip.sh
out=$PWD/build-win64/tests
rm -rf "$out"
platform_root windows "$out"
echo "== Installing Wine"
mapfile -t wine < <(grep -v '^#' tools/windows/wine-packages.txt)
in_root_logged "$out/logs/wine.log" tools/install-packages.sh googletest "${wine[@]}"
echo "== Building the tests for Windows"
in_root_logged "$out/logs/build.log" sh -c \
  'cmake --preset windows-tests -B /build/tests && cmake --build /build/tests'
echo "== Running them under Wine"
in_root ctest --test-dir /build/tests --output-on-failure --no-tests=error
