#!/usr/bin/env bash
# Shared by run.sh, test.sh and bench.sh: installs the Debian packages
# missing (the same names on Debian 12 and 13), configures and builds.
# Usage: tools/setup.sh [extra-package ...]
#   BUILD_DIR   where to build (default build)
#   CMAKE_ARGS  extra arguments for the first configure
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}

# CMake takes ccache as launcher from the environment, as CI sets it.
launcher=()
[ "${CMAKE_CXX_COMPILER_LAUNCHER:-}" != ccache ] || launcher=(ccache)
tools/install-packages.sh cmake ninja-build g++ qt6-base-dev libgtest-dev libbenchmark-dev \
  dpkg-dev zip python3 "${launcher[@]}" "$@"

# shellcheck disable=SC2086 # CMAKE_ARGS is a list of words
[ -f "$build_dir/build.ninja" ] || cmake -S . -B "$build_dir" -G Ninja ${CMAKE_ARGS:-}
cmake --build "$build_dir"
