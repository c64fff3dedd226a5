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
  tools/install-packages.sh reprotest faketime disorderfs diffoscope-minimal dpkg-dev ccache
  tools/install-packages.sh --build-deps
  out=$PWD/build-deb/reprotest
  rm -rf "$out"  # reprotest keeps its results only in a folder of its own
  dsc=$(tools/source-package.sh "$out/source")
  # The tests ran in the packages' own builds; here only the bytes count.
  export DEB_BUILD_OPTIONS=nocheck
  # The first build is a plain one through the compiler cache, wherever
  # the checkout is; only reprotest's varied build compiles from nothing.
  first=$out/first
  mkdir -p "$first"
  dpkg-source -x "$dsc" "$first/tolvane" >/dev/null
  # debhelper gives the build a home of its own: the cache is named outright.
  (cd "$first/tolvane" && CCACHE_DIR=${CCACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/ccache} \
    CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache \
    dpkg-buildpackage --no-sign -b >../build.log 2>&1) ||
    { tail -n 40 "$first/build.log" >&2; echo "The first build failed; its log: $first/build.log" >&2; exit 1; }
  mkdir -p "$out/control/source-root"
  mv "$first"/*.*deb "$out/control/source-root/"
  reprotest "${options[@]}" --control-build "$out/control" --store-dir="$out/result" "$dsc" -- null
else
  rm -rf "$store"
  SOURCE_DATE_EPOCH=$(tools/release-date.sh)
  export SOURCE_DATE_EPOCH
  reprotest "${options[@]}" --store-dir="$store" -s . \
    "mkdir -p build-reprotest/tmp && cmake --preset $target -B build-reprotest && cmake --build build-reprotest &&
    TMPDIR=\$PWD/build-reprotest/tmp tools/make-packages.sh build-reprotest" \
    'build-reprotest/tolvane-[0-9]*' -- null
fi
