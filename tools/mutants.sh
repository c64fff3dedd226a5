#!/usr/bin/env bash
# Plants each fault of tools/mutants.txt, one at a time, in a scratch copy
# of the checkout, builds it and runs the test suite; a fault the suite
# fails on is caught, one it passes survives. Run by hand (about 20
# minutes; with --windows, as root, about 25):
#   tools/mutants.sh [--windows] [list]
#   --windows    in the suite cross-built for Windows and run under Wine
#   --in-windows-root  (what --windows runs) the packages are there and
#                TOLVANE_CMAKE_ARGS says how to configure for Windows
set -euo pipefail
cd "$(dirname "$0")/.."
platform=linux
case "${1:-}" in
  --windows)
    exec tools/windows/in-root.sh tools/windows/run-tests.sh /var/cache/tolvane --mutants ;;
  --in-windows-root) shift; platform=windows ;;
  *) tools/setup.sh >/dev/null ;;  # the packages the suite needs
esac
list=$(realpath "${1:-tools/mutants.txt}")

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$scratch"
ln -s "$PWD/.git" "$scratch/.git"  # the packages take their date from the commit
cd "$scratch"
export QT_QPA_PLATFORM=offscreen

suite_passes() {
  cmake --build build >/dev/null 2>&1 || return 2
  ctest --test-dir build --stop-on-failure >/dev/null 2>&1
}

# shellcheck disable=SC2086 # a list of words
cmake -S . -B build -G Ninja ${TOLVANE_CMAKE_ARGS:-} >/dev/null
suite_passes || { echo "the suite fails without any fault planted" >&2; exit 1; }

caught=0 survived=0 total=0 skipped=0
while IFS='|' read -r file find replace meaning only; do
  [[ -z "$file" || "$file" == \#* ]] && continue
  if [[ -n "$only" && "$only" != "$platform" ]]; then
    skipped=$((skipped + 1)); echo "skipped   $meaning (Linux packages only)"; continue
  fi
  total=$((total + 1))
  cp "$file" "$file.orig"
  FIND=$find REPLACE=$replace perl -0pi -e 's/\Q$ENV{FIND}\E/$ENV{REPLACE}/ or exit 3' "$file" ||
    { echo "cannot plant: $meaning ($file: text not found)" >&2; exit 1; }
  status=0
  suite_passes || status=$?
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
