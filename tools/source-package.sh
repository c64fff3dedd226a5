#!/usr/bin/env bash
# Writes the Debian source package of this repository's HEAD into OUT_DIR
# (default build-deb/source): the upstream archive (every file but
# debian/, by git archive, the same bytes for the same commit), the
# packaging as debian.tar.xz and the .dsc, as any Debian builder takes them.
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
