#!/usr/bin/env bash
# Shared by run.sh, test.sh and bench.sh: installs the Debian packages that
# are missing, then configures and builds. Quick when all is there.
# Usage: tools/setup.sh [extra-package ...]
#   BUILD_DIR   where to build (default build)
#   CMAKE_ARGS  extra arguments for the first configure
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}

packages=(cmake ninja-build g++ qt6-base-dev libgtest-dev libbenchmark-dev "$@")
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null |
    grep -q 'install ok installed' || missing+=("$package")
done

if ((${#missing[@]})); then
  as_root=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || {
      echo "Need root or sudo to install: ${missing[*]}" >&2
      exit 1
    }
    as_root=(sudo)
  fi
  echo "Installing ${missing[*]}"
  "${as_root[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" \
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# shellcheck disable=SC2086 # CMAKE_ARGS is a list of words
[ -f "$build_dir/build.ninja" ] || cmake -S . -B "$build_dir" -G Ninja ${CMAKE_ARGS:-}
cmake --build "$build_dir"
