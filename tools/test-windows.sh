#!/usr/bin/env bash
# Runs the test suite on Windows, as far as Wine is Windows: the tests of
# this repository's HEAD cross-built in a fresh Debian 13 root, as for
# tools/make-windows-zip.sh, and run by ctest under Wine. Run as root.
# Usage: tools/test-windows.sh   (TOLVANE_CACHE, DEBIAN_MIRROR as there)
set -euo pipefail
cd "$(dirname "$0")/.."
exec tools/windows/in-root.sh tools/windows/run-tests.sh /var/cache/tolvane
