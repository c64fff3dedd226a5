#!/usr/bin/env bash
# Inside a Debian 13 root (tools/windows-tests.sh makes it): cross-builds
# the test suite for 64-bit Windows, GoogleTest from Debian's own source,
# and runs it under Wine through ctest.
# Usage: tools/windows/run-tests.sh CACHE_DIR [--mutants]
set -euo pipefail
cd "$(dirname "$0")/../.."
tools/windows/prepare.sh "$1" googletest wine wine64 fonts-dejavu-core
# How the suite is configured for Windows; tools/mutants.sh uses it too.
export TOLVANE_CMAKE_ARGS="-DCMAKE_BUILD_TYPE=Release
  -DCMAKE_TOOLCHAIN_FILE=/opt/qt6-win64/lib/cmake/Qt6/qt.toolchain.cmake
  -DTOLVANE_GTEST_SOURCE=/usr/src/googletest
  -DCMAKE_CROSSCOMPILING_EMULATOR=$PWD/tools/windows/wine-run.sh"
if [ "${2:-}" = --mutants ]; then
  exec tools/mutants.sh --in-windows-root
fi
build=/build/tests-win64
mkdir -p "$build"
echo "== Building the tests for Windows"
# shellcheck disable=SC2086 # a list of words
cmake -S . -B "$build" -G Ninja $TOLVANE_CMAKE_ARGS >/dev/null
cmake --build "$build" >"$build.log" 2>&1 ||
  { tail -n 40 "$build.log" >&2; echo "The build failed; its log: $build.log" >&2; exit 1; }
echo "== Running them under Wine"
ctest --test-dir "$build" --output-on-failure
