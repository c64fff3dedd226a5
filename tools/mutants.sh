#!/usr/bin/env bash
# Plants each fault of tools/mutants.txt, one at a time, in a scratch copy
# of the checkout, builds it and runs the test suite; a fault the suite
# fails on is caught, one it passes survives. Run by hand (about 10 minutes):
#   tools/mutants.sh [list]
set -euo pipefail
cd "$(dirname "$0")/.."
list=$(realpath "${1:-tools/mutants.txt}")
tools/setup.sh >/dev/null  # the packages the suite needs

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

cmake -S . -B build -G Ninja >/dev/null
suite_passes || { echo "the suite fails without any fault planted" >&2; exit 1; }

caught=0 survived=0 total=0
while IFS='|' read -r file find replace meaning; do
  [[ -z "$file" || "$file" == \#* ]] && continue
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
echo "$caught of $total faults caught, $survived survived"
((survived == 0))
