#!/usr/bin/env bash
# Plants each fault of tools/mutants.txt, one at a time, in a scratch copy
# of the checkout, builds it and runs the checks that must catch it; a fault
# they fail on is caught, one they pass survives. Run by hand (about 20
# minutes; with --windows, as root, about 45):
#   tools/mutants.sh [--windows] [list]
#   --windows    in a Debian 13 root: the suite cross-built for Windows and
#                run under Wine, and the Windows archive built twice
#   --in-windows-root  (what --windows runs there)
# A fault tagged "archive" is one of the archives' reproducibility: on
# Linux the package test catches it, for Windows the archive is built,
# packed and built again elsewhere. One tagged "linux" concerns the Linux
# packages only.
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
platform=linux configure=(-G Ninja)
case "${1:-}" in
  --windows)
    source tools/platform-zip.sh
    out=$PWD/build-win64/mutants
    rm -rf "$out"
    platform_root windows "$out"
    in_root_logged "$out/logs/wine.log" tools/install-packages.sh googletest wine wine64 fonts-dejavu-core
    cp "${2:-tools/mutants.txt}" "$out/mutants.txt"
    in_root tools/mutants.sh --in-windows-root /out/mutants.txt
    exit ;;
  --in-windows-root) shift; platform=windows configure=(--preset windows-tests) ;;
  *) tools/setup.sh >/dev/null ;;  # the packages the suite needs
esac
list=$(realpath "${1:-tools/mutants.txt}")

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$scratch"
ln -s "$PWD/.git" "$scratch/.git"  # the packages take their date from the commit
cd "$scratch"
export QT_QPA_PLATFORM=offscreen

# Each returns 2 when the build fails, 1 when the checks do.
suite_passes() {
  cmake --build build >/dev/null 2>&1 || return 2
  ctest --test-dir build --stop-on-failure >/dev/null 2>&1
}
windows_archive_reproducible() {
  rm -rf build-archive
  { cmake --preset windows -B build-archive && cmake --build build-archive; } >/dev/null 2>&1 || return 2
  { tools/make-packages.sh build-archive &&
    tools/rebuild-elsewhere.sh build-archive --preset windows; } >/dev/null 2>&1
}
checks_pass() {  # checks_pass TAG
  if [[ $platform == windows && $1 == archive ]]; then
    windows_archive_reproducible
  else
    suite_passes
  fi
}

cmake -S . -B build "${configure[@]}" >/dev/null
suite_passes || { echo "the suite fails without any fault planted" >&2; exit 1; }
if [ "$platform" = windows ]; then
  windows_archive_reproducible ||
    { echo "the Windows archive is not reproducible without any fault planted" >&2; exit 1; }
fi

caught=0 survived=0 total=0 skipped=0
while IFS='|' read -r file find replace meaning tag; do
  [[ -z "$file" || "$file" == \#* ]] && continue
  if [[ $tag == linux && $platform != linux ]]; then
    skipped=$((skipped + 1)); echo "skipped   $meaning (Linux packages only)"; continue
  fi
  total=$((total + 1))
  cp "$file" "$file.orig"
  FIND=$find REPLACE=$replace perl -0pi -e 's/\Q$ENV{FIND}\E/$ENV{REPLACE}/ or exit 3' "$file" ||
    { echo "cannot plant: $meaning ($file: text not found)" >&2; exit 1; }
  status=0
  checks_pass "$tag" || status=$?
  if ((status == 2)); then
    caught=$((caught + 1)); echo "caught    $meaning (the build fails)"
  elif ((status == 0)); then
    survived=$((survived + 1)); echo "SURVIVED  $meaning"
  else
    caught=$((caught + 1)); echo "caught    $meaning"
  fi
  mv "$file.orig" "$file"
  touch "$file"  # newer than the objects built from the fault
done < "$list"
echo "$caught of $total faults caught, $survived survived, $skipped not tried here"
((survived == 0))
