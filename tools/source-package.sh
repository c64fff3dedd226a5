#!/usr/bin/env bash
# Writes the Debian source package of HEAD into OUT_DIR (default
# build-deb/source): git archive of all but debian/ as the upstream
# archive, the same bytes for the same commit, the packaging and the .dsc.
# Usage: tools/source-package.sh [OUT_DIR]
set -euo pipefail
shopt -s inherit_errexit
out=$(realpath -m "${1:-build-deb/source}")
cd "$(dirname "$0")/.."
version=$(git show HEAD:debian/changelog | sed -n '1s/.*(\(.*\)).*/\1/p')
upstream=${version%-*}
rm -rf "$out"
mkdir -p "$out"
git archive --format=tar --prefix="tolvane-$upstream/" HEAD -- . ':(exclude)debian' |
  gzip -9n >"$out/tolvane_$upstream.orig.tar.gz"
tar -xzf "$out/tolvane_$upstream.orig.tar.gz" -C "$out"
git archive --format=tar --prefix="tolvane-$upstream/" HEAD debian | tar -x -C "$out"
(cd "$out" && dpkg-source --build "tolvane-$upstream" >/dev/null)
rm -rf "${out:?}/tolvane-$upstream"
echo "$out/tolvane_$version.dsc"
