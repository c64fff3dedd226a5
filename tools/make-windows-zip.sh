#!/usr/bin/env bash
# Writes the Windows archive, build-win64/tolvane-VERSION-win64.zip, from
# this repository's HEAD: cross-compiled in a fresh Debian 13 root with
# Debian's MinGW-w64 against Qt built from Debian 13's own source, twice,
# and compared. The Qt build is kept in a cache outside the clone and
# reused by later runs. Run as root on Debian 12 or 13.
# Usage: tools/make-windows-zip.sh
#   TOLVANE_CACHE      the cache folder (default /var/cache/tolvane)
#   DEBIAN_MIRROR      as for tools/in-debian-root.sh
#   SOURCE_DATE_EPOCH  the dates inside; the commit's date when unset
set -euo pipefail
cd "$(dirname "$0")/.."
exec tools/windows/in-root.sh tools/windows/build-zip.sh /var/cache/tolvane /out
