#!/usr/bin/env bash
# Writes the Windows archive, build-win64/tolvane-VERSION-win64.zip, from
# this repository's HEAD: cross-compiled in a fresh Debian 13 root with
# Debian's MinGW-w64 against a Qt built from Debian 13's own source. The Qt
# build is kept in a cache outside the clone and reused by later runs.
# Run as root on Debian 12 or 13.
# Usage: tools/make-windows-zip.sh
#   TOLVANE_CACHE      the cache folder (default /var/cache/tolvane)
#   DEBIAN_MIRROR      as for tools/in-debian-root.sh
#   SOURCE_DATE_EPOCH  the dates inside; the commit's date when unset
set -euo pipefail
cd "$(dirname "$0")/.."
cache=${TOLVANE_CACHE:-/var/cache/tolvane}
out=$PWD/build-win64

[ "$(id -u)" -eq 0 ] || { echo "Building for Windows needs root (it makes a Debian root); try sudo $0" >&2; exit 1; }
# The root and its packages take about 3 GB; building Qt about 6 GB more.
need=4
compgen -G "$cache/qt/qt6-base-*" >/dev/null || need=12
for dir in /var/tmp "$(dirname "$cache")"; do
  free=$(df --output=avail -BG "$dir" | tail -n 1 | tr -dc 0-9)
  ((free >= need)) || { echo "Only ${free} GB free under $dir; the Windows build needs $need GB" >&2; exit 1; }
done
mkdir -p "$out"
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
export SOURCE_DATE_EPOCH
echo "== Windows archive of $(git log -1 --format='%h %s' | cut -c1-60) (uncommitted changes are not in it)"
tools/in-debian-root.sh --release 13 --bind "$cache:/var/cache/tolvane" \
  --bind "$cache/debs:/var/cache/apt/archives" --bind "$out:/out" \
  tools/windows/build-zip.sh /var/cache/tolvane /out
