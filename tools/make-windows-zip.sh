#!/usr/bin/env bash
# Writes the Windows archive, build-win64/tolvane-VERSION-win64.zip, from
# this repository's HEAD: cross-compiled in a fresh Debian 13 root with
# Debian's MinGW-w64 against Qt built from Debian 13's own source (kept in
# a cache outside the clone), packed by tools/make-packages.sh, and built a
# second time elsewhere to prove it the same. Beside it go the exact source
# files of its Qt (build-win64/qt-source/) and the logs of every step
# (build-win64/logs/). Run as root on Debian 12 or 13.
# Usage: tools/make-windows-zip.sh
#   TOLVANE_CACHE      the cache folder (default /var/cache/tolvane)
#   DEBIAN_MIRROR      as for tools/in-debian-root.sh
#   SOURCE_DATE_EPOCH  the dates inside; the commit's date when unset
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
source tools/debian-root.sh
cache=${TOLVANE_CACHE:-/var/cache/tolvane}
out=$PWD/build-win64
# The root and its packages take about 4 GB; building Qt about 8 GB more.
need=13
for built in "$cache"/qt/windows-*; do
  [[ -d $built && $built != *.partial.* ]] && need=5
done
need_free_space "$need" /var/tmp "$cache"
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
export SOURCE_DATE_EPOCH
rm -rf "$out"
mkdir -p "$out/logs"

echo "== For Windows from $(git log -1 --format='%h %s' | cut -c1-60) (uncommitted changes are left out)"
debian_root 13 "$cache:/var/cache/tolvane" "$cache/debs:/var/cache/apt/archives" "$out:/out"
echo "== Installing the cross compiler and the host's Qt tools"
mapfile -t packages < <(grep -v '^#' tools/windows/packages.txt)
in_root_logged "$out/logs/packages.log" tools/install-packages.sh "${packages[@]}"
in_root tools/qt/build-qt.sh windows /var/cache/tolvane
echo "== Building Tolvane for Windows"
in_root_logged "$out/logs/build.log" sh -c \
  'cmake --preset windows -B /build/windows && cmake --build /build/windows'
in_root_logged "$out/logs/pack.log" tools/make-packages.sh /build/windows
in_root sh -c 'cp /build/windows/tolvane-*-win64.zip /out/ &&
  cp -r /opt/qt6-windows/licensing/source /out/qt-source'
echo "== Wrote $(cd "$out" && ls tolvane-*-win64.zip), and the source of its Qt in qt-source/"
echo "== Building it again elsewhere, to compare"
in_root_logged "$out/logs/elsewhere.log" tools/rebuild-elsewhere.sh /build/windows --preset windows
echo "== The same archive, byte for byte, when built elsewhere"
