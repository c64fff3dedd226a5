#!/usr/bin/env bash
# Writes the Windows archive, build-win64/tolvane-VERSION-win64.zip, from
# this repository's HEAD: cross-compiled in a fresh Debian 13 root with
# Debian's MinGW-w64 against Qt built from Debian 13's own source, and
# built twice to prove it the same; beside it the exact source of its Qt
# and of Tolvane, and the logs (tools/platform-zip.sh). Run as root on
# Debian 12 or 13.
# Usage: tools/make-windows-zip.sh [--with-tests]   (TOLVANE_CACHE,
#   DEBIAN_MIRROR and SOURCE_DATE_EPOCH as for tools/platform-zip.sh)
#   --with-tests  then, in the same root, the test suite cross-built and
#                 run under Wine, as tools/test-windows.sh runs it
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
source tools/platform-zip.sh
case ${1:-} in
  '') make_platform_zip windows "$PWD/build-win64" ;;
  --with-tests)
    make_platform_zip windows "$PWD/build-win64" tools/windows/test-packages.txt
    windows_suite "$PWD/build-win64/logs" ;;
  *) echo "Usage: $0 [--with-tests]" >&2; exit 2 ;;
esac
