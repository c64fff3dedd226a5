#!/usr/bin/env bash
# Shared by run.sh, test.sh and bench.sh: installs the Debian packages that
# are missing, then configures and builds. Quick when all is there. The
# same package names serve Debian 12 and Debian 13.
# Usage: tools/setup.sh [extra-package ...]
#   BUILD_DIR   where to build (default build)
#   CMAKE_ARGS  extra arguments for the first configure
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}

# A build that compiles through ccache (CMake takes the launcher from the
# environment, as CI sets it) needs it installed.
launcher=()
[ "${CMAKE_CXX_COMPILER_LAUNCHER:-}" != ccache ] || launcher=(ccache)
tools/install-packages.sh cmake ninja-build g++ qt6-base-dev libgtest-dev libbenchmark-dev \
  dpkg-dev zip python3 "${launcher[@]}" "$@"

# shellcheck disable=SC2086 # CMAKE_ARGS is a list of words
[ -f "$build_dir/build.ninja" ] || cmake -S . -B "$build_dir" -G Ninja ${CMAKE_ARGS:-}
cmake --build "$build_dir"
