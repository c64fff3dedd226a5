#!/usr/bin/env bash
# Runs a command of tools/windows/ in a clean clone of HEAD inside a fresh
# Debian 13 root, with the cache (Qt for Windows, downloaded packages) at
# /var/cache/tolvane and build-win64/ at /out. Needs root.
# Usage: tools/windows/in-root.sh command ...
#   TOLVANE_CACHE  the cache folder (default /var/cache/tolvane)
set -euo pipefail
cd "$(dirname "$0")/../.."
cache=${TOLVANE_CACHE:-/var/cache/tolvane}

[ "$(id -u)" -eq 0 ] || { echo "Building for Windows needs root (it makes a Debian root); run it with sudo" >&2; exit 1; }
# The root and its packages take about 4 GB; building Qt about 8 GB more.
need=13
for built in "$cache"/qt/qt6-base-*; do
  [[ -d $built && $built != *.partial.* ]] && need=5
done
for dir in /var/tmp "$(dirname "$cache")"; do
  free=$(df --output=avail -BG "$dir" | tail -n 1 | tr -dc 0-9)
  ((free >= need)) || { echo "Only $free GB free under $dir; building for Windows needs $need GB" >&2; exit 1; }
done
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
export SOURCE_DATE_EPOCH
echo "== For Windows from $(git log -1 --format='%h %s' | cut -c1-60) (uncommitted changes are left out)"
exec tools/in-debian-root.sh --release 13 --bind "$cache:/var/cache/tolvane" \
  --bind "$cache/debs:/var/cache/apt/archives" --bind "$PWD/build-win64:/out" "$@"
