#!/usr/bin/env bash
# Writes build-web/tolvane-VERSION-web.zip from HEAD: the page over its
# tables compiled to WebAssembly by Debian's emscripten in a clean Debian 13
# root (tools/platform-zip.sh). Run as root on Debian 12 or 13.
# Usage: tools/make-web-zip.sh   (TOLVANE_CACHE, DEBIAN_MIRROR as for
#   tools/root-tarball.sh)
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
rm -rf build-web
exec tools/in-root.sh --packages tools/web/packages.txt \
  --bind "${TOLVANE_CACHE:-/var/cache/tolvane}:/var/cache/tolvane" --bind build-web:/out \
  tools/platform-zip.sh web
