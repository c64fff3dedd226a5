#!/usr/bin/env bash
# Shared by run.sh and test.sh: installs the Debian packages that are
# missing, then configures and builds into build/. Quick when all is there.
# Usage: tools/setup.sh [extra-package ...]
set -euo pipefail
cd "$(dirname "$0")/.."

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

[ -f build/build.ninja ] || cmake -S . -B build -G Ninja
cmake --build build
