#!/usr/bin/env bash
# Proves TARGET's archive reproducible with Debian's reprotest: this tree
# built from nothing and packed (tools/make-packages.sh) twice, the second
# time in another folder, at another time (faketime), with files listed in
# another order (disorderfs), under another umask, locale, time zone, host
# name, home, number of processors and kernel version; the ZIPs (and the
# Windows installer) must be the same to the byte. Packing works in the
# build tree, so that its files are listed in another order too. Both
# builds' packages, and on a difference reprotest's diffoscope report, are
# kept in STORE.
# With CONTROL, a folder laid out as reprotest keeps a build's packages
# (source-root/build-reprotest/), those are the first build's, and only
# the second is made.
# Usage: tools/reprotest-zip.sh TARGET [STORE [CONTROL]]   (default /out/reprotest)
set -euo pipefail
shopt -s inherit_errexit
target=$1 store=$(realpath -m "${2:-/out/reprotest}") control=()
[ -z "${3:-}" ] || control=(--control-build "$(realpath "$3")")
cd "$(dirname "$0")/.."
rm -rf "$store"  # reprotest keeps its results only in a folder of its own
SOURCE_DATE_EPOCH=$(tools/release-date.sh)
export SOURCE_DATE_EPOCH
# From nothing, both builds: a compiler cache would hand the second the
# first one's objects. No second user to build as: the user is not varied.
unset CMAKE_C_COMPILER_LAUNCHER CMAKE_CXX_COMPILER_LAUNCHER
reprotest --verbosity 1 --vary=-user_group --min-cpus=2 --store-dir="$store" "${control[@]}" -s . \
  "mkdir -p build-reprotest/tmp && cmake --preset $target -B build-reprotest && cmake --build build-reprotest &&
  TMPDIR=\$PWD/build-reprotest/tmp tools/make-packages.sh build-reprotest" \
  'build-reprotest/tolvane-[0-9]*' -- null
