#!/usr/bin/env bash
# Writes the web archive, build-web/tolvane-VERSION-web.zip, from this
# repository's HEAD: Tolvane's page with its tables compiled to WebAssembly
# by Debian's emscripten in a fresh Debian 13 root, and built twice to
# prove it the same; beside it Tolvane's source and the logs
# (tools/platform-zip.sh). Run as root on Debian 12 or 13.
# Usage: tools/make-web-zip.sh   (TOLVANE_CACHE, DEBIAN_MIRROR and
#   SOURCE_DATE_EPOCH as for tools/platform-zip.sh)
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
source tools/platform-zip.sh
make_platform_zip web "$PWD/build-web"
