#!/usr/bin/env bash
# Writes the ZIP archive a built tree is configured for (Windows, the
# browser), the same bytes for the same commit wherever and whenever it is
# made. The umask, time zone and locale are fixed here, and every date
# inside is the release's time: SOURCE_DATE_EPOCH where the builder sets it
# (as Debian's tools do), otherwise the date of the commit.
# Usage: tools/make-packages.sh [BUILD_DIR]   (default build)
set -euo pipefail
shopt -s inherit_errexit
build_dir=$(realpath "${1:-build}")
cd "$(dirname "$0")/.."
command -v zip >/dev/null || { echo "No zip here: install Debian's zip" >&2; exit 1; }

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

cd "$build_dir"
cpack >"$scratch/cpack.log" 2>&1 || { cat "$scratch/cpack.log" >&2; echo "cpack failed" >&2; exit 1; }
cat "$scratch/cpack.log"
mapfile -t packages < <(sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' "$scratch/cpack.log")
((${#packages[@]})) || { echo "cpack wrote no package" >&2; exit 1; }
for package in "${packages[@]}"; do
  repack_zip "$package"
done
