#!/usr/bin/env bash
# Inside a Debian 13 root (tools/make-windows-zip.sh makes it): cross-builds
# Tolvane for 64-bit Windows against Qt built from Debian's own source,
# writes the ZIP archive to OUT_DIR, then builds it a second time from a
# copy of the sources elsewhere, with other file dates, umask, time zone
# and locale, and fails if the two archives differ by a byte.
# Usage: tools/windows/build-zip.sh CACHE_DIR OUT_DIR
set -euo pipefail
cd "$(dirname "$0")/../.."
cache=$1 out=$2

tools/windows/prepare.sh "$cache"
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}

# build_zip SOURCE_DIR BUILD_DIR: writes BUILD_DIR/tolvane-VERSION-win64.zip
build_zip() {
  local source=$1 build=$2 stage=$2/stage version zip
  rm -rf "$build"
  mkdir -p "$build"
  cmake -S "$source" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOLVANE_TESTS=OFF \
    -DCMAKE_TOOLCHAIN_FILE=/opt/qt6-win64/lib/cmake/Qt6/qt.toolchain.cmake >"$build.log" 2>&1 &&
    cmake --build "$build" >>"$build.log" 2>&1 &&
    cmake --install "$build" --prefix "$stage" --strip >>"$build.log" 2>&1 ||
    { tail -n 40 "$build.log" >&2; echo "The build failed; its log: $build.log" >&2; return 1; }
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
  zip=$build/tolvane-$version-win64.zip
  # Symbols are of no use to a user; each file dated the release, and
  # listed in name order, with no extra fields that carry owners or times.
  find "$stage" -name '*.dll' -exec x86_64-w64-mingw32-strip --strip-unneeded {} +
  find "$stage" -type f -exec chmod 644 {} +
  chmod 755 "$stage/tolvane.exe"
  find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
  # Info-ZIP writes DOS dates in local time.
  (cd "$stage" && find . -type f -printf '%P\n' | LC_ALL=C sort | TZ=UTC zip -X -D -9 -q "$zip" -@)
  echo "$zip"
}

echo "== Building Tolvane for Windows"
zip=$(umask 022 && TZ=UTC LC_ALL=C.UTF-8 build_zip "$PWD" /build/tolvane-win64)
cp "$zip" "$out/"
echo "== Wrote $(basename "$zip"), $(du -k "$zip" | cut -f1) KiB"

echo "== Building it again elsewhere, to compare"
again=/elsewhere/deeper/src
rm -rf "$again"
mkdir -p "$again"
git ls-files -z | xargs -0 cp --parents -t "$again"
find "$again" -exec touch -h -d '2001-02-03 04:05:06' {} +
second=$(umask 002 && TZ=XYZ-13:45 LC_ALL=C build_zip "$again" /elsewhere/build-win64)
cmp "$zip" "$second" || {
  echo "The Windows archive differs when built elsewhere:" >&2
  diff <(cd /build/tolvane-win64/stage && find . -type f -exec sha256sum {} + | sort -k2) \
    <(cd /elsewhere/build-win64/stage && find . -type f -exec sha256sum {} + | sort -k2) >&2
  exit 1
}
echo "== The same archive, byte for byte, when built elsewhere"
