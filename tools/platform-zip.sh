#!/usr/bin/env bash
# Inside a root of tools/in-root.sh (tools/make-windows-zip.sh,
# make-web-zip.sh): the archive of HEAD built with the TARGET preset
# (against tools/qt/build-qt.sh's Qt where it needs one), packed, and
# proved the same when reprotest builds it again. Into /out go the archive,
# its Qt's exact source (qt-source/), Tolvane's source and every step's log.
# Usage: tools/platform-zip.sh TARGET [--with-tests]
#   --with-tests  then the test suite cross-built and run under Wine
set -euo pipefail
shopt -s inherit_errexit
[ -f /etc/tolvane-root ] || { echo "$0 runs in a root of tools/in-root.sh" >&2; exit 2; }
target=$1 cache=/var/cache/tolvane
# The shared compiler cache; reprotest's second build goes without.
export CCACHE_DIR=$cache/ccache CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
mkdir -p /out/logs

logged() {  # logged LOG command ...: its output in /out/logs/LOG, shown on failure
  "${@:2}" >"/out/logs/$1" 2>&1 || {
    local status=$?
    tail -n 40 "/out/logs/$1" >&2
    echo "Failed: ${*:2}; its whole log: logs/$1" >&2
    exit "$status"
  }
}

echo "== For $target from $(git log -1 --format='%h %s' | cut -c1-60) (uncommitted changes are left out)"
[ ! -f "tools/qt/$target.options" ] || tools/qt/build-qt.sh "$target" "$cache"
echo "== Building Tolvane for $target"
logged build.log sh -c "cmake --preset $target -B /build/$target && cmake --build /build/$target"
# With the tests, installers of a later and an earlier version for theirs.
versions=
[ "${2:-}" != --with-tests ] || versions="9.0 0.9"
logged pack.log env TOLVANE_TEST_MSI_VERSIONS="$versions" tools/make-packages.sh "/build/$target"
[ ! -d "/build/$target/test-msi" ] || cp -r "/build/$target/test-msi" /out/
packages=("/build/$target"/tolvane-[0-9]*)
cp "${packages[@]}" /out/
[ ! -f "tools/qt/$target.options" ] || cp -r "/opt/qt6-$target/licensing/source" /out/qt-source
git archive --format=tar.gz --prefix=tolvane/ -o /out/tolvane-source.tar.gz HEAD
echo "== Wrote $(cd /out && echo tolvane-[0-9]*), with its source"
echo "== Building it again with reprotest's variations, to compare"
# What was just built, through the compiler cache, is reprotest's first build.
mkdir -p /build/control/source-root/build-reprotest
cp "${packages[@]}" /build/control/source-root/build-reprotest/
logged reprotest.log tools/reprotest.sh "$target" /out/reprotest /build/control
echo "== The same, byte for byte, when built again"
if [ "${2:-}" = --with-tests ]; then
  echo "== Building the tests for $target"
  logged suite-build.log sh -c 'cmake --preset windows-tests -B /build/tests && cmake --build /build/tests'
  echo "== Running them under Wine"
  ctest --test-dir /build/tests --output-on-failure --no-tests=error
  echo "== Signing and the installer's files"
  tests/windows_packages_test.sh "/build/$target"
fi
