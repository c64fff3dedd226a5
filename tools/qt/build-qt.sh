#!/usr/bin/env bash
# Inside a Debian 13 root: makes sure Qt for TARGET (the name of one of the
# tools/qt/*.options files), built from the one Debian qt6-base source
# version pinned below, is at /opt/qt6-TARGET. A build takes half an hour
# or more on two cores, so it is kept in the cache, keyed by all that shapes
# it: the source version, this script, the target's options and toolchain
# file and the compiler. Only a finished build ever gets its key's name.
# Beside Qt, the entry keeps in licensing/ the exact source files, what the
# build was made from, and every qtbase file the build read, from which the
# archives take the notices of what they ship (packaging/qt_notices.py).
# Usage: tools/qt/build-qt.sh TARGET CACHE_DIR
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/../.."
# The Qt of every archive, changed only by a commit: Debian 13's qt6-base.
readonly version=6.8.2+dfsg-9+deb13u2
readonly package=qt6-base_$version
target=$1 cache=$2
prefix=/opt/qt6-$target
options_file=tools/qt/$target.options
[ -f "$options_file" ] || { echo "No Qt target $target: no $options_file" >&2; exit 2; }
mapfile -t target_options < <(grep -v '^#' "$options_file")
options=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix"
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF "${target_options[@]}")
compiler_command=$(sed -n 's/^# compiler: //p' "$options_file")
compiler=$($compiler_command --version | head -n 1)
toolchain=$(printf '%s\n' "${options[@]}" | sed -n 's/^-DCMAKE_TOOLCHAIN_FILE=//p')
key=$target-${version//[^0-9A-Za-z.+-]/_}-$(
  cat tools/qt/build-qt.sh "$options_file" ${toolchain:+"$toolchain"} <(echo "$compiler") | sha256sum | cut -c1-12)
entry=$cache/qt/$key
source_dir=$cache/qt-source/$package
mkdir -p "$cache/qt" "$cache/qt-source"

# What a run makes is named NAME.partial.PID until it is whole, and removed
# when the run ends before that.
partials=()
trap 'rm -rf "${partials[@]}"' EXIT
new_partial() { partials+=("$1.partial.$$"); mkdir "$1.partial.$$"; }
# publish PARTIAL FINAL: gives the partial its final name, never into or
# over another run's.
publish() {
  [ ! -e "$2" ] || { echo "$2 appeared while this run made it; keeping that one" >&2; return; }
  mv -T "$1" "$2"
}

fetch_source() {
  local into=$source_dir.partial.$$
  new_partial "$source_dir"
  if ! grep -q '^deb-src' /etc/apt/sources.list; then
    local mirror
    mirror=$(sed -n 's/^deb \([^ ]*\) trixie main$/\1/p' /etc/apt/sources.list | head -n 1)
    printf '%s\n' "deb-src $mirror trixie main" "deb-src $mirror trixie-updates main" \
      >>/etc/apt/sources.list
    apt-get update -qq || { echo "apt cannot reach the Debian archive" >&2; exit 1; }
  fi
  chown _apt "$into"
  (cd "$into" && apt-get source --download-only -qq "qt6-base=$version") >"$into.log" 2>&1 || {
    cat "$into.log" >&2
    echo "Debian's archive does not have qt6-base $version (any more). Put its .dsc," \
      ".orig.tar.xz and .debian.tar.xz in $source_dir, or pin another version" \
      "in $0 by a commit." >&2
    exit 1
  }
  rm -f "$into.log"
  publish "$into" "$source_dir"
}

# run_logged WHAT LOG command ...: prints progress each minute; on failure the
# log's end, and the log kept in the cache where the user can read it.
run_logged() {
  "${@:3}" >"$2" 2>&1 &
  local pid=$! ticks=0
  while kill -0 "$pid" 2>/dev/null; do
    sleep 5
    ((++ticks % 12)) || echo "   $1: $(grep -o '^\[[0-9]*/[0-9]*\]' "$2" | tail -n 1) $((SECONDS - start)) s"
  done
  wait "$pid" || {
    tail -n 40 "$2" >&2
    cp "$2" "$cache/qt/$key-$(basename "$2")"
    echo "$1 Qt failed; its log: $cache/qt/$key-$(basename "$2")" >&2
    return 1
  }
}

# In a subshell: Qt's source date and folder stay out of what follows.
build_qt() (
  local work=/build/qt-$target partial=$entry.partial.$$
  trap 'rm -rf "$partial"' EXIT
  start=$SECONDS
  echo "== Building Qt $version for $target (half an hour or more on two cores; once, then cached)"
  rm -rf "$work"
  mkdir -p "$work"
  cd "$work"
  dpkg-source -x "$source_dir/$package.dsc" qtbase >source.log 2>&1 ||
    { cat source.log >&2; echo "dpkg-source could not unpack $source_dir" >&2; exit 1; }
  # Dates inside Qt are its source's release, as Debian's own builds have them.
  SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l qtbase/debian/changelog -STimestamp)
  export SOURCE_DATE_EPOCH
  run_logged configuring configure.log cmake -S qtbase -B qt-build "${options[@]}"
  run_logged compiling build.log cmake --build qt-build
  cmake --install qt-build >install.log
  mkdir "$partial"
  cp -a "$prefix/." "$partial/"
  mkdir -p "$partial/licensing/source"
  cp -l "$source_dir"/* "$partial/licensing/source/"
  # Every qtbase file that went into this Qt: compiled, included, or packed
  # into a resource.
  { ninja -C qt-build -t deps | sed -n 's/^    //p'; grep -oh "$work/qtbase/[^ :|]*" qt-build/build.ninja; } |
    sed -n "s|^$work/qtbase/||p" | xargs realpath -m --relative-base=. -s -- |
    grep -v '^/' | LC_ALL=C sort -u >"$partial/licensing/files-read.txt"
  {
    echo "This Qt was built from Debian's source package qt6-base, version $version"
    echo "(the files $package.dsc, qt6-base_${version%-*}.orig.tar.xz and"
    echo "$package.debian.tar.xz), with $compiler, configured with:"
    echo
    echo "  cmake -S qtbase -B qt-build ${options[*]}"
    if [ -n "$toolchain" ]; then
      echo
      echo "The toolchain file named there:"
      echo
      sed 's/^/  /' "$toolchain"
    fi
  } >"$partial/licensing/qt-source.txt"
  publish "$partial" "$entry"
  rm -rf "$work"
  echo "== Qt built in $((SECONDS - start)) s; kept in $entry"
)

[ -f "$source_dir/$package.dsc" ] || fetch_source
if [ -d "$entry" ]; then
  echo "== Qt $version for $target from the cache: $entry"
else
  build_qt
fi
rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
ln -s "$entry" "$prefix"
