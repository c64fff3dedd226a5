#!/usr/bin/env bash
# Writes the web archive, build-web/tolvane-VERSION-web.zip, from this
# repository's HEAD: Tolvane for the browser, compiled to WebAssembly in a
# fresh Debian 13 root with Debian's emscripten against Qt built from
# Debian 13's own source, and built twice to prove it the same; beside it
# the exact source of its Qt and of Tolvane, and the logs
# (tools/platform-zip.sh), and in build-web/fault the window whose commands
# fail, which tests/web_zip_test.sh tries. Run as root on Debian 12 or 13.
# Usage: tools/make-web-zip.sh [--floor [--size-steps]]   (TOLVANE_CACHE,
#   DEBIAN_MIRROR and SOURCE_DATE_EPOCH as for tools/platform-zip.sh)
#   --floor       also builds, in build-web/floor, the one-line window that
#                 ./bench.sh --web measures the page against
#   --size-steps  and, in build-web/steps, the steps toward a lighter
#                 download it measures too (tools/web/size-steps.sh)
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
source tools/platform-zip.sh
# Qt for the browser insists on an emscripten SDK's variable, when it is
# built and when programs are (the web preset sets it there); Debian's
# emscripten is no SDK, but the variable naming its folder serves.
make_platform_zip web "$PWD/build-web" EMSDK=/usr/share/emscripten
echo "== The window with a failing command (tests/web_zip_test.sh), in build-web/fault"
in_root_logged "$PWD/build-web/logs/fault.log" sh -c 'cmake --build /build/web --target fault_window &&
  mkdir /out/fault && cp /build/web/tests/web/fault_window.* /build/web/tests/web/qtloader.js /out/fault/'
[ "${1:-}" = --floor ] || exit 0
echo "== The floor the page is measured against (./bench.sh --web), in build-web/floor"
in_root_logged "$PWD/build-web/logs/floor.log" sh -c 'cmake --build /build/web --target one_line_window &&
  mkdir /out/floor && cp /build/web/bench/one_line_window.* /build/web/bench/qtloader.js /out/floor/'
[ "${2:-}" = --size-steps ] || exit 0
echo "== The steps toward a lighter download (./bench.sh --web), in build-web/steps"
in_root_logged "$PWD/build-web/logs/size-steps.log" tools/web/size-steps.sh /build/web /out/steps
