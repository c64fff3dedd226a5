#!/usr/bin/env bash
# Writes the packages a built tree is configured for (on Linux the ZIP
# archive and the Debian package, for Windows and the browser the ZIP
# archive), the same bytes for the same commit wherever and whenever they
# are made. The umask, time zone and locale are fixed here, and every date
# inside is the release's time: SOURCE_DATE_EPOCH where the builder sets it
# (as Debian's tools do), otherwise the date of the commit.
# Usage: tools/make-packages.sh [BUILD_DIR]   (default build)
set -euo pipefail
shopt -s inherit_errexit
build_dir=$(realpath "${1:-build}")
cd "$(dirname "$0")/.."
for tool in zip dpkg-deb; do
  command -v "$tool" >/dev/null || { echo "No $tool here: install Debian's zip and dpkg-dev" >&2; exit 1; }
done

umask 022
export TZ=UTC LC_ALL=C.UTF-8
SOURCE_DATE_EPOCH=$(tools/release-date.sh)
export SOURCE_DATE_EPOCH
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# CPack lists the ZIP's entries in the order the file system gives them,
# with the files' change times: pack the files again, sorted by name, dated
# the release, with no extra fields.
repack_zip() {
  local tree=$scratch/zip
  mkdir "$tree"
  (cd "$tree" && cmake -E tar xf "$1")
  find "$tree" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
  rm "$1"
  (cd "$tree" && find . -type f -printf '%P\n' | LC_ALL=C sort | zip -X -D -9 -q "$1" -@)
}

# CPack counts the folders' sizes on the file system into Installed-Size;
# count as dpkg-gencontrol does instead (each file in KiB rounded up, each
# folder one). dpkg-deb then sorts the entries, dates them by
# SOURCE_DATE_EPOCH and gives them to root.
repack_deb() {
  local tree=$scratch/deb size
  dpkg-deb --raw-extract "$1" "$tree"
  size=$(find "$tree" -mindepth 1 -path "$tree/DEBIAN" -prune -o \
    \( -type d -printf '1\n' -o -printf '%s\n' \) |
    awk '{kib += int(($1 + 1023) / 1024)} END {print kib}')
  sed -i "s/^Installed-Size: .*/Installed-Size: $size/" "$tree/DEBIAN/control"
  dpkg-deb --root-owner-group --build "$tree" "$1" >/dev/null
}

cd "$build_dir"
cpack >"$scratch/cpack.log" 2>&1 || { cat "$scratch/cpack.log" >&2; echo "cpack failed" >&2; exit 1; }
cat "$scratch/cpack.log"
mapfile -t packages < <(sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' "$scratch/cpack.log")
((${#packages[@]})) || { echo "cpack wrote no package" >&2; exit 1; }
for package in "${packages[@]}"; do
  case $package in
    *.zip) repack_zip "$package" ;;
    *.deb) repack_deb "$package" ;;
  esac
done
