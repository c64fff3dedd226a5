#!/usr/bin/env bash
# Proves Tolvane's packages reproducible with Debian's reprotest: built
# again in another folder, 400 days and 13 hours ahead, with files listed
# in another order, under another umask, locale, time zone, host name,
# home, number of processors and kernel, they must be the same to the byte
# as a first, plain build. Both builds, and on a difference diffoscope's report, are
# kept in STORE.
#   no TARGET  the .debs of HEAD's source package, on this machine; the
#              first build is dpkg-buildpackage's through the compiler
#              cache. STORE is build-deb/reprotest/result
#   TARGET     in a root of tools/in-root.sh, the archives of that preset
#              (/out/reprotest by default). CONTROL, laid out as reprotest
#              keeps a build (source-root/build-reprotest/), is the first
#              build; without it reprotest makes both.
# Usage: tools/reprotest.sh [TARGET [STORE [CONTROL]]]
set -euo pipefail
shopt -s inherit_errexit
target=${1:-} store=$(realpath -m "${2:-/out/reprotest}") control=${3:+$(realpath "$3")}
cd "$(dirname "$0")/.."
# The build reprotest varies compiles from nothing: a compiler cache would
# hand it the first one's objects. No second user to build as: the user is
# not varied. The first build ran at the real time, so this one's clock
# always runs ahead.
unset CMAKE_C_COMPILER_LAUNCHER CMAKE_CXX_COMPILER_LAUNCHER
options=(--verbosity 1 --vary=-user_group '--vary=time.faketimes+=+400days+13hours' --min-cpus=2)
if [ -z "$target" ]; then
  tools/install-packages.sh reprotest faketime disorderfs diffoscope-minimal dpkg-dev ccache
  tools/install-packages.sh --build-deps
  out=$PWD/build-deb/reprotest
  rm -rf "$out"
  store=$out/result control=$out/control
  dsc=$(tools/source-package.sh "$out/source")
  # The tests ran in the packages' own builds; here only the bytes count.
  export DEB_BUILD_OPTIONS=nocheck
  first=$out/first
  mkdir -p "$first" "$control/source-root"
  dpkg-source -x "$dsc" "$first/tolvane" >/dev/null
  # Under the umask, time zone and language of reprotest's own first build;
  # debhelper gives the build a home of its own, so the cache is named.
  (umask 0022 && cd "$first/tolvane" &&
    env -u LC_ALL TZ=GMT+12 LANG=C.UTF-8 LANGUAGE=en_US:en CCACHE_DIR="$(ccache -k cache_dir)" \
    CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache \
    dpkg-buildpackage --no-sign -b >../build.log 2>&1) ||
    { tail -n 40 "$first/build.log" >&2; echo "The first build failed; its log: $first/build.log" >&2; exit 1; }
  mv "$first"/*.*deb "$control/source-root/"
  rm -rf "$first"
  build=("$dsc")
else
  SOURCE_DATE_EPOCH=$(tools/release-date.sh)
  export SOURCE_DATE_EPOCH
  build=(-s . "mkdir -p build-reprotest/tmp && cmake --preset $target -B build-reprotest &&
    cmake --build build-reprotest && TMPDIR=\$PWD/build-reprotest/tmp tools/make-packages.sh build-reprotest"
    'build-reprotest/tolvane-[0-9]*')
fi
rm -rf "$store"  # reprotest keeps its results only in a folder of its own
status=0
reprotest "${options[@]}" ${control:+--control-build "$control"} --store-dir="$store" "${build[@]}" -- null ||
  status=$?
# Where reprotest links the second build when the two are the same.
[ -z "$control" ] || [ ! -d "$store" ] || mv "$control" "$store/" ||
  echo "The first build could not be kept in $store" >&2
exit "$status"
