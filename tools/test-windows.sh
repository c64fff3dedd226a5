#!/usr/bin/env bash
# Runs the test suite on Windows, as far as Wine is Windows: the tests of
# this repository's HEAD cross-built in a fresh Debian 13 root, as for
# tools/make-windows-zip.sh, and run by ctest under Wine (which
# tools/make-windows-zip.sh --with-tests does in its own root after the
# archive). Run as root.
# Logs in build-win64/tests/logs.
# Usage: tools/test-windows.sh   (TOLVANE_CACHE, DEBIAN_MIRROR as there)
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
source tools/platform-zip.sh
out=$PWD/build-win64/tests
platform_root windows "$out" tools/windows/test-packages.txt
windows_suite "$out/logs"
