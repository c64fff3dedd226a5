#!/usr/bin/env bash
# Proves the Debian packages of HEAD reproducible with Debian's reprotest:
# the source package (tools/source-package.sh) built twice on this
# machine, the second time in another folder, at another time (faketime),
# with files listed in another order (disorderfs), under another umask,
# locale, time zone, host name, home, number of processors and kernel
# version; the .debs of both builds must be the same to the byte. On a
# difference reprotest's diffoscope report is in build-deb/reprotest/.
# Usage: tools/reprotest.sh
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
tools/install-packages.sh reprotest faketime disorderfs diffoscope-minimal debhelper \
  cmake ninja-build qt6-base-dev
out=$PWD/build-deb/reprotest
rm -rf "$out"  # reprotest keeps its results only in a folder of its own
dsc=$(tools/source-package.sh "$out/source")
# From nothing, both builds: a compiler cache would hand the second the
# first one's objects.
unset CMAKE_C_COMPILER_LAUNCHER CMAKE_CXX_COMPILER_LAUNCHER
# The tests ran in the packages' own builds; here only the bytes count.
# No second user to build as: the build user is not varied.
DEB_BUILD_OPTIONS=nocheck reprotest --verbosity 1 --vary=-user_group --min-cpus=2 \
  --store-dir="$out/result" "$dsc" -- null
