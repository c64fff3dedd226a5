#!/usr/bin/env bash
# Proves the packages in BUILD_DIR reproducible: builds the same sources a
# second time in another folder, on another kind of file system where there
# is one, from files dated otherwise, under another umask, time zone and
# locale, with the build folder beside the sources where the first was in
# them (or the other way round), packs them with tools/make-packages.sh and
# fails unless every package comes out the same to the byte. On a
# difference it keeps the second build in BUILD_DIR-elsewhere and prints
# what Debian's diffoscope finds between the two (also kept there, in
# diffoscope.txt).
# Usage: tools/rebuild-elsewhere.sh BUILD_DIR [configure argument ...]
#   the arguments configure the second build as the first was configured
#   SOURCE_DATE_EPOCH  as for tools/make-packages.sh
# Ends with 1 when a package differs, 2 when the second build fails.
set -euo pipefail
shopt -s inherit_errexit
# Any failure of this script's own is no difference found: 2, never 1.
trap 'exit 2' ERR
build=$(realpath "$1")
cd "$(dirname "$0")/.."
mapfile -t packages < <(cd "$build" && find . -maxdepth 1 \( -name '*.zip' -o -name '*.deb' \) -printf '%P\n')
((${#packages[@]})) || { echo "No packages in $build to compare" >&2; exit 2; }
SOURCE_DATE_EPOCH=$(tools/release-date.sh)
export SOURCE_DATE_EPOCH

again=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
trap 'rm -rf "$again"' EXIT
mkdir "$again/src"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git ls-files -z
else  # an unpacked source archive: every file but the builds'
  find . -path './build*' -prune -o -type f -print0
fi | xargs -0 cp --parents -t "$again/src"
find "$again/src" -exec touch -h -d '2001-02-03 04:05:06' {} +
case $build in
  "$PWD"/*) second=$again/build ;;
  *) second=$again/src/build ;;
esac
echo "== Building it again in $second"
(
  umask 002
  export TZ=XYZ-13:45 LC_ALL=C TMPDIR=$again
  cd "$again/src" &&
    cmake -S . -B "$second" "${@:2}" &&
    cmake --build "$second" &&
    tools/make-packages.sh "$second"
) || { echo "The second build failed, so nothing was compared" >&2; exit 2; }
different=()
for package in "${packages[@]}"; do
  cmp "$build/$package" "$second/$package" || different+=("$package")
done
((${#different[@]})) || { echo "== ${packages[*]}: the same, byte for byte, when built elsewhere"; exit 0; }

kept=$build-elsewhere
rm -rf "$kept"
cp -a "$second" "$kept"
echo "Built elsewhere, ${different[*]} came out otherwise; the second build is kept in $kept" >&2
tools/install-packages.sh diffoscope-minimal >&2 || echo "diffoscope could not be installed" >&2
for package in "${different[@]}"; do
  diffoscope --no-progress "$build/$package" "$kept/$package" || true
done | tee "$kept/diffoscope.txt" >&2
exit 1
