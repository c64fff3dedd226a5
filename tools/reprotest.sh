#!/usr/bin/env bash
# Proves Tolvane's packages reproducible with Debian's reprotest: built
# again in another folder, at another time, with files listed in another
# order, under another umask, locale, time zone, host name, home, number of
# processors and kernel, they must be the same to the byte. The packages,
# and on a difference diffoscope's report, are kept in STORE.
#   no TARGET  the .debs of HEAD's source package, on this machine; STORE is
#              build-deb/reprotest/result
#   TARGET     in a root of tools/in-root.sh, the archives of that preset
#              (/out/reprotest by default). CONTROL, laid out as reprotest
#              keeps a build (source-root/build-reprotest/), is the first
#              build, and only the second is made.
# Usage: tools/reprotest.sh [TARGET [STORE [CONTROL]]]
set -euo pipefail
shopt -s inherit_errexit
target=${1:-} store=$(realpath -m "${2:-/out/reprotest}") options=()
[ -z "${3:-}" ] || options=(--control-build "$(realpath "$3")")
cd "$(dirname "$0")/.."
# From nothing: a compiler cache would hand the second build the first
# one's objects. No second user to build as: the user is not varied.
unset CMAKE_C_COMPILER_LAUNCHER CMAKE_CXX_COMPILER_LAUNCHER
options+=(--verbosity 1 --vary=-user_group --min-cpus=2)
if [ -z "$target" ]; then
  tools/install-packages.sh reprotest faketime disorderfs diffoscope-minimal dpkg-dev
  tools/install-packages.sh --build-deps
  out=$PWD/build-deb/reprotest
  rm -rf "$out"  # reprotest keeps its results only in a folder of its own
  dsc=$(tools/source-package.sh "$out/source")
  # The tests ran in the packages' own builds; here only the bytes count.
  DEB_BUILD_OPTIONS=nocheck reprotest "${options[@]}" --store-dir="$out/result" "$dsc" -- null
else
  rm -rf "$store"
  SOURCE_DATE_EPOCH=$(tools/release-date.sh)
  export SOURCE_DATE_EPOCH
  reprotest "${options[@]}" --store-dir="$store" -s . \
    "mkdir -p build-reprotest/tmp && cmake --preset $target -B build-reprotest && cmake --build build-reprotest &&
    TMPDIR=\$PWD/build-reprotest/tmp tools/make-packages.sh build-reprotest" \
    'build-reprotest/tolvane-[0-9]*' -- null
fi
