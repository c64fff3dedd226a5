# shellcheck shell=bash
# Sourced, not run, by tools/make-windows-zip.sh and tools/make-web-zip.sh
# (and, for platform_root, by tools/test-windows.sh and tools/mutants.sh),
# from the repository's top folder, as root: the archive of a platform
# Tolvane is cross-built for, built from HEAD in a fresh Debian 13 root
# (tools/debian-root.sh) with the packages of tools/TARGET/packages.txt,
# where the platform needs its own Qt against the Qt of
# tools/qt/build-qt.sh TARGET (kept in the cache), with the TARGET preset
# of CMakePresets.json; packed by tools/make-packages.sh, and built a
# second time elsewhere to prove it the same (tools/rebuild-elsewhere.sh).
# Into OUT_DIR go the archive, the exact source of its Qt (qt-source/)
# where it has one, Tolvane's own source (tolvane-source.tar.gz) and the
# log of every step (logs/).
#   platform_root TARGET OUT_DIR [PACKAGE_LIST ...]
#     makes OUT_DIR afresh and the root with TARGET's packages (and those
#     of each further PACKAGE_LIST file) and Qt, OUT_DIR at /out there and
#     the logs in OUT_DIR/logs
#   make_platform_zip TARGET OUT_DIR [PACKAGE_LIST ...]  the archive, in a
#     root with those further packages, which it leaves for more work
#   windows_suite LOG_DIR  the test suite cross-built for Windows and run
#     under Wine, in a root with tools/windows/test-packages.txt
#   TOLVANE_CACHE      the cache folder (default /var/cache/tolvane)
#   DEBIAN_MIRROR      as for tools/in-debian-root.sh
#   SOURCE_DATE_EPOCH  the dates inside; the commit's date when unset
source tools/debian-root.sh

platform_root() {
  local target=$1 out=$2 cache=$debian_root_cache
  [ -f "tools/$target/packages.txt" ] || { echo "No platform $target: no tools/$target/packages.txt" >&2; exit 2; }
  # The root and its packages take about 4 GB; whether Qt is to be built,
  # and the room for it, only its key tells (tools/qt/build-qt.sh).
  tools/need-free-space.sh 5 /var/tmp "$cache"
  rm -rf "$out"
  mkdir -p "$out/logs"
  # The compilers and the tools they need come with the root.
  mapfile -t debian_root_packages < <(grep -hv '^#' "tools/$target/packages.txt" "${@:3}")
  debian_root_logs=$out/logs
  debian_root 13 "$cache:/var/cache/tolvane" "$out:/out"
  if has_own_qt "$target"; then
    # This command builds against that Qt until it ends: build-qt.sh leaves
    # it and its source held by a process in the root's namespaces, which
    # end with this command, so that no other run's pruning removes them.
    in_root tools/qt/build-qt.sh "$target" /var/cache/tolvane
  fi
}

# Whether the platform's archive brings a Qt of its own.
has_own_qt() {
  [ -f "tools/qt/$1.options" ]
}

make_platform_zip() {
  local target=$1 out=$2
  SOURCE_DATE_EPOCH=$(tools/release-date.sh)
  export SOURCE_DATE_EPOCH
  echo "== For $target from $(git log -1 --format='%h %s' | cut -c1-60) (uncommitted changes are left out)"
  platform_root "$target" "$out" "${@:3}"
  echo "== Building Tolvane for $target"
  in_root_logged "$out/logs/build.log" sh -c \
    "cmake --preset $target -B /build/$target && cmake --build /build/$target"
  in_root_logged "$out/logs/pack.log" tools/make-packages.sh "/build/$target"
  in_root sh -c "cp /build/$target/tolvane-*.zip /out/"
  if has_own_qt "$target"; then
    in_root cp -r "/opt/qt6-$target/licensing/source" /out/qt-source
  fi
  git archive --format=tar.gz --prefix=tolvane/ -o "$out/tolvane-source.tar.gz" HEAD
  echo "== Wrote $(cd "$out" && ls tolvane-*.zip), with its source"
  echo "== Building it again elsewhere, to compare"
  in_root_logged "$out/logs/elsewhere.log" tools/rebuild-elsewhere.sh "/build/$target" --preset "$target"
  echo "== The same archive, byte for byte, when built elsewhere"
}

windows_suite() {
  echo "== Building the tests for Windows"
  in_root_logged "$1/suite-build.log" sh -c \
    'cmake --preset windows-tests -B /build/tests && cmake --build /build/tests'
  echo "== Running them under Wine"
  in_root ctest --test-dir /build/tests --output-on-failure --no-tests=error
}
