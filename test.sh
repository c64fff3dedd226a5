#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
#   ./test.sh             the normal build, in build/
#   ./test.sh --sanitize  AddressSanitizer and UBSan, in build-asan/
set -euo pipefail
cd "$(dirname "$0")"
if [ "${1:-}" = "--sanitize" ]; then
  export BUILD_DIR=build-asan CMAKE_ARGS="-DTOLVANE_SANITIZE=ON"
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
tools/setup.sh desktop-file-utils appstream xvfb xauth x11-utils fonts-dejavu-core git \
  dpkg-dev zip shellcheck
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure
