#!/usr/bin/env bash
# Inside a Debian 13 root: makes sure a Qt for 64-bit Windows, built from
# Debian's own qt6-base source, is at /opt/qt6-win64. The build takes about
# half an hour on two cores, so it is kept in the cache, keyed by the
# source version, the configure line and the compiler; only a finished
# build ever gets its key's name there.
# Usage: tools/windows/build-qt.sh CACHE_DIR
set -euo pipefail
cd "$(dirname "$0")/../.."
cache=$1/qt
prefix=/opt/qt6-win64
mkdir -p "$cache"

# Debian 13's sources, with the point releases' fixes.
if ! grep -q '^deb-src' /etc/apt/sources.list; then
  sed -n 's/^deb \([^ ]*\) trixie main$/\1/p' /etc/apt/sources.list | head -n 1 | {
    read -r mirror
    printf '%s\n' "deb $mirror trixie-updates main" \
      "deb-src $mirror trixie main" "deb-src $mirror trixie-updates main" >>/etc/apt/sources.list
  }
  apt-get update -qq || { echo "apt cannot reach the Debian archive" >&2; exit 1; }
fi
version=$(apt-cache showsrc qt6-base | sed -n 's/^Version: //p' | sort -V | tail -n 1)
[ -n "$version" ] || { echo "No qt6-base source package found in the archive" >&2; exit 1; }

# Shared DLLs of Core, Gui, Widgets and Test with the windows and offscreen
# platforms and the Windows styles; nothing the program does not use.
# Debian's source has no tablet headers, so no tablet support.
options=(
  -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
  -DCMAKE_TOOLCHAIN_FILE=/src/tolvane/tools/windows/mingw-w64.cmake
  -DQT_QMAKE_TARGET_MKSPEC=win32-g++
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
  -DCMAKE_INSTALL_PREFIX=$prefix
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_xml=OFF -DFEATURE_dbus=OFF
  -DFEATURE_concurrent=OFF -DFEATURE_printsupport=OFF
  -DINPUT_opengl=no -DFEATURE_vulkan=OFF -DFEATURE_tabletevent=OFF
  -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF
)
compiler=$(x86_64-w64-mingw32-g++-posix --version | head -n 1)
key=qt6-base-${version//[^0-9A-Za-z.+-]/_}-$(
  { printf '%s\n' "${options[@]}" "$compiler"; cat tools/windows/mingw-w64.cmake; } |
    sha256sum | cut -c1-12)

if [ -d "$cache/$key" ]; then
  echo "== Qt $version for Windows from the cache: $cache/$key"
else
  # Leftovers of a build that was killed are never taken for a finished one.
  rm -rf "$cache"/*.partial.*
  partial=$cache/$key.partial.$$
  trap 'rm -rf "$partial"' EXIT
  start=$SECONDS
  echo "== Building Qt $version for Windows (about 30 minutes on two cores; once, then cached)"
  mkdir -p /build && cd /build
  apt-get source -qq qt6-base >/dev/null 2>source.log ||
    { cat source.log >&2; echo "apt-get source qt6-base failed" >&2; exit 1; }
  mv qt6-base-*/ qtbase
  # Dates inside the DLLs are the source's release, as Debian builds do.
  SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l qtbase/debian/changelog -STimestamp)
  export SOURCE_DATE_EPOCH
  run_logged() {  # run_logged WHAT LOG command ...: prints progress each minute
    "${@:3}" >"$2" 2>&1 &
    local pid=$! ticks=0
    while kill -0 "$pid" 2>/dev/null; do
      sleep 5
      ((++ticks % 12)) || echo "   $1: $(grep -o '^\[[0-9]*/[0-9]*\]' "$2" | tail -n 1) $((SECONDS - start)) s"
    done
    wait "$pid" || { tail -n 40 "$2" >&2; echo "$1 failed; the log: $2" >&2; return 1; }
  }
  run_logged configuring configure.log cmake -S qtbase -B qt-build "${options[@]}"
  run_logged compiling build.log cmake --build qt-build
  cmake --install qt-build >/dev/null
  mkdir -p "$partial"
  cp -a "$prefix/." "$partial/"
  # What Qt's licence asks of whoever passes the DLLs on: the licences,
  # the notices of the libraries built into Qt, and where its source is.
  mkdir -p "$partial/licences/3rdparty"
  cp qtbase/LICENSES/*.txt "$partial/licences/"
  cp qtbase/debian/copyright "$partial/licences/debian-copyright.txt"
  (cd qtbase/src && find . -name qt_attribution.json -path '*3rdparty*' -printf '%h\n' | sort |
    while read -r dir; do
      name=$(echo "${dir#./}" | tr / -)
      find "$dir" -maxdepth 1 -type f \( -iname '*licen[cs]e*' -o -iname 'copying*' \
        -o -iname 'notice*' -o -iname 'ftl.txt' -o -iname qt_attribution.json \) |
        while read -r file; do cp "$file" "$partial/licences/3rdparty/$name-$(basename "$file")"; done
    done)
  {
    echo "Qt for 64-bit Windows in Tolvane's archive was built from Debian's source"
    echo "package qt6-base, version $version (apt-get source qt6-base=$version on Debian 13),"
    echo "with $compiler, configured with:"
    echo
    echo "  cmake -S qtbase -B qt-build ${options[*]}"
    echo
    echo "The toolchain file named there:"
    echo
    sed 's/^/  /' /src/tolvane/tools/windows/mingw-w64.cmake
  } >"$partial/licences/qt-source.txt"
  mv "$partial" "$cache/$key"
  trap - EXIT
  echo "== Qt built in $((SECONDS - start)) s; kept in $cache/$key"
fi
rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
ln -s "$cache/$key" "$prefix"
