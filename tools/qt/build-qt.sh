#!/usr/bin/env bash
# Inside a root of tools/in-root.sh: puts at /opt/qt6-TARGET a Qt built
# from Debian 13's qt6-base source with tools/qt/TARGET.options (and
# TARGET.patch, if there is one), of the version pinned below while the
# archive offers it, else the newest. A build takes half an hour or more,
# so it is cached, keyed by all that shapes it (qt_key_inputs); one run at
# a time makes an entry, and what no run has used for a month goes. Beside
# Qt, an entry keeps in licensing/ the exact source, the qtbase files the
# build read and how it was made: the archives' notices come from there.
# Usage: tools/qt/build-qt.sh TARGET CACHE_DIR
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/../.."
[ -f /etc/tolvane-root ] || {
  echo "$0 builds Qt inside a root of tools/in-root.sh, never on the host;" \
    "run tools/make-windows-zip.sh" >&2
  exit 2
}
# A qt6-base version to build instead of the newest, for as long as
# Debian's archive offers it; empty: the newest.
readonly pinned_version=
target=$1 cache=$2
prefix=/opt/qt6-$target
options_file=tools/qt/$target.options
patch_file=$PWD/tools/qt/$target.patch
[ -f "$options_file" ] || { echo "No Qt target $target: no $options_file" >&2; exit 2; }
read -ra target_options <<<"$(grep -v '^#' "$options_file" | tr '\n' ' ')"
options=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix"
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF "${target_options[@]}")
compiler_command=$(sed -n 's/^# compiler: //p' "$options_file")
compiler=$($compiler_command --version | head -n 1)
toolchain=$(printf '%s\n' "${options[@]}" | sed -n 's/^-DCMAKE_TOOLCHAIN_FILE=//p')
read -ra built_in <<<"$(sed -n 's/^# built in: //p' "$options_file")"
# Raised when what an entry holds beside Qt changes.
readonly entry_format=1

# apt offers sources with a deb-src line for each deb line.
if ! grep -q '^deb-src' /etc/apt/sources.list; then
  sed -i '/^deb /{p;s/^deb /deb-src /}' /etc/apt/sources.list
  apt-get update -qq || { echo "apt cannot reach the Debian archive" >&2; exit 1; }
fi
# The pinned version while the archive offers it, else the newest it offers.
offered=$(apt-cache showsrc --only-source qt6-base | sed -n 's/^Version: //p')
version=$(grep -Fx "$pinned_version" <<<"$offered" || sort -V <<<"$offered" | tail -n 1)
[ -n "$version" ] || { echo "Debian's archive offers no qt6-base source" >&2; exit 1; }
readonly version package=qt6-base_$version
echo "== Qt from qt6-base $version, $([ "$version" = "$pinned_version" ] && echo "as pinned in $0" ||
  echo "the newest in Debian's archive")"

# What the build is made from; comments and this script's text shape nothing.
qt_key_inputs() {
  echo "entry format $entry_format"
  echo "qt6-base $version"
  printf '%s\n' "${options[@]}"
  [ -z "$toolchain" ] || grep -v -e '^[[:space:]]*#' -e '^[[:space:]]*$' "$toolchain"
  echo "$compiler"
  [ ! -f "$patch_file" ] || cat "$patch_file"
  local built status
  for built in "${built_in[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Abbrev} ${Version}' "$built" 2>/dev/null) || status=
    [[ $status == ii* ]] ||
      { echo "$options_file names $built as built into Qt, but it is not installed" >&2; return 1; }
    echo "$built ${status#ii? }"
  done
}
key_inputs=$(qt_key_inputs)
key=$target-${version//[^0-9A-Za-z.+-]/_}-$(sha256sum <<<"$key_inputs" | cut -c1-12)
entry=$cache/qt/$key
source_dir=$cache/qt-source/$package
mkdir -p "$cache/qt" "$cache/qt-source"

# One run at a time looks, makes and prunes; what it takes is dated now, so
# that no other run prunes it in use. A killed run's partials go next time.
exec {lock}>>"$cache/qt/.lock"
flock "$lock"
touch -c "$entry" "$source_dir"
rm -rf "$entry".partial "$source_dir".partial
trap 'rm -rf "$entry".partial "$source_dir".partial' EXIT
trap 'exit 143' TERM; trap 'exit 130' INT

fetch_source() {
  local into=$source_dir.partial
  mkdir -p "$into"
  chown _apt "$into"
  (cd "$into" && apt-get source --download-only -qq "qt6-base=$version") >"$into.log" 2>&1 ||
    { cat "$into.log" >&2; echo "apt could not download qt6-base $version, which the archive offers" >&2; exit 1; }
  rm -f "$into.log"
  mv "$into" "$source_dir"
}

# run_logged WHAT LOG command ...: progress each minute; on failure the
# log's end, and the log kept in the cache.
run_logged() {
  "${@:3}" >"$2" 2>&1 &
  local build=$! ticks=0 status=0
  while kill -0 "$build" 2>/dev/null; do
    sleep 5
    ((++ticks % 12)) || echo "   $1: $(grep -o '^\[[0-9]*/[0-9]*\]' "$2" | tail -n 1) $((SECONDS - start)) s"
  done
  wait "$build" || status=$?
  ((status == 0)) || { tail -n 40 "$2" >&2; cp "$2" "$cache/qt/$key-${2##*/}"
    echo "$1 Qt failed; its log: $cache/qt/$key-${2##*/}" >&2; return 1; }
}

# In a subshell: Qt's source date and folder stay out of what follows.
build_qt() (
  local work=/build/qt-$target partial=$entry.partial dir need free
  # The build folder takes up to 1.4 GB, the entry 0.2 GB: twice that.
  for need in 3:/build 1:"$cache"; do
    dir=${need#*:} need=${need%%:*}
    mkdir -p "$dir"
    free=$(df --output=avail -BG "$dir" | tail -n 1 | tr -dc 0-9)
    ((free >= need)) || { echo "Only $free GB free under $dir; building Qt needs $need GB" >&2; exit 1; }
  done
  start=$SECONDS
  echo "== Building Qt $version for $target (half an hour or more on two cores; once, then cached)"
  rm -rf "$work"
  mkdir -p "$work"
  cd "$work"
  dpkg-source -x "$source_dir/$package.dsc" qtbase >source.log 2>&1 ||
    { cat source.log >&2; echo "dpkg-source could not unpack $source_dir" >&2; exit 1; }
  [ ! -f "$patch_file" ] || patch -p1 -d qtbase <"$patch_file" >>source.log
  # Dates inside Qt are its source's release, as Debian's own builds have them.
  SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l qtbase/debian/changelog -STimestamp)
  export SOURCE_DATE_EPOCH
  run_logged configuring configure.log cmake -S qtbase -B qt-build "${options[@]}"
  run_logged compiling build.log cmake --build qt-build
  cmake --install qt-build >install.log
  mkdir -p "$partial"
  cp -a "$prefix/." "$partial/"
  echo "$key_inputs" >"$partial/key-inputs.txt"
  mkdir -p "$partial/licensing/source"
  cp -l "$source_dir"/* "$partial/licensing/source/"
  [ ! -f "$patch_file" ] || cp "$patch_file" "$partial/licensing/source/qt6-base-$target.patch"
  # Every qtbase file compiled, included or packed into a resource.
  { ninja -C qt-build -t deps | sed -n 's/^    //p'; grep -oh "$work/qtbase/[^ :|]*" qt-build/build.ninja; } |
    sed -n "s|^$work/qtbase/||p" | xargs realpath -m --relative-base=. -s -- |
    grep -v '^/' | LC_ALL=C sort -u >"$partial/licensing/files-read.txt"
  {
    echo "This Qt was built from Debian's source package qt6-base, version $version"
    echo "(the files $package.dsc, qt6-base_${version%-*}.orig.tar.xz and"
    echo "$package.debian.tar.xz)$([ ! -f "$patch_file" ] ||
      echo ", changed by qt6-base-$target.patch (patch -p1 in the unpacked qtbase folder)"),"
    echo "built with $compiler, configured with:"
    echo
    echo "  cmake -S qtbase -B qt-build ${options[*]}"
    if [ -n "$toolchain" ]; then
      echo
      echo "The toolchain file named there:"
      echo
      sed 's/^/  /' "$toolchain"
    fi
  } >"$partial/licensing/qt-source.txt"
  mv "$partial" "$entry"
  rm -rf "$work"
  echo "== Qt built in $((SECONDS - start)) s; kept in $entry"
)

[ -d "$source_dir" ] || fetch_source
if [ -d "$entry" ]; then
  echo "== Qt $version for $target from the cache: $entry"
else
  build_qt
fi
find "$cache/qt" "$cache/qt-source" -mindepth 1 -maxdepth 1 ! -name .lock -mtime +30 -exec rm -rf {} +
rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
ln -s "$entry" "$prefix"
