#!/usr/bin/env bash
# Plants each fault of tools/mutants.txt, one at a time, in a scratch copy
# of the checkout, builds it and runs the checks that must catch it. Each
# fault is reported as
#   caught      the checks fail on it (the failing tests are named),
#   SURVIVED    the checks pass with it,
#   not judged  the build fails with it, or the machinery of the checks
#               does (a program missing, Wine not starting, the second
#               build of the archive failing): only a test that fails on
#               what it checks catches a fault.
# A failure of the machinery stops the run with an error. Every fault's
# log is kept, in build-mutants/ (with --windows, build-win64/mutants/faults).
# Run by hand (about 20 minutes; with --windows, as root, about 45):
#   tools/mutants.sh [--windows] [list]
#   --windows    in a Debian 13 root: the suite cross-built for Windows and
#                run under Wine, and the Windows archive built twice
#   --in-windows-root LIST LOG_DIR  (what --windows runs there)
# A fault tagged "archive" is one of the archives' reproducibility: on
# Linux the package test catches it, for Windows the archive is built,
# packed and built again elsewhere. One tagged "linux" concerns the Linux
# packages only.
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
platform=linux configure=(-G Ninja) logs=$PWD/build-mutants
case "${1:-}" in
  --windows)
    source tools/platform-zip.sh
    out=$PWD/build-win64/mutants
    rm -rf "$out"
    platform_root windows "$out"
    in_root_logged "$out/logs/wine.log" tools/install-packages.sh googletest wine wine64 fonts-dejavu-core
    cp "${2:-tools/mutants.txt}" "$out/mutants.txt"
    status=0
    in_root tools/mutants.sh --in-windows-root /out/mutants.txt /out/faults || status=$?
    echo "The faults' logs on this machine: $out/faults"
    exit "$status" ;;
  --in-windows-root)
    [ -f /etc/tolvane-root ] ||
      { echo "--in-windows-root is what --windows runs inside its Debian root, not on the host" >&2; exit 2; }
    platform=windows configure=(--preset windows-tests) logs=$3
    shift ;;
  *) tools/setup.sh >/dev/null ;;  # the packages the suite needs
esac
list=$(realpath "${1:-tools/mutants.txt}")
rm -rf "$logs"
mkdir -p "$logs"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$scratch"
ln -s "$PWD/.git" "$scratch/.git"  # the packages take their date from the commit
cd "$scratch"
export QT_QPA_PLATFORM=offscreen

# What the checks print when they could not run at all, rather than fail on
# what they check: a program the shell or ctest cannot find, a Wine that
# does not start, tools/windows/wine-run.sh's own refusals.
readonly machinery_failed='command not found|: not found$|Unable to find executable|\*\*\*Not Run|^wine: (could not|cannot|failed to)|^wine-run.sh: '

# Each check writes to the log LOG and returns 0 when it passes, 1 when it
# fails on what it checks (naming in $failed what failed), 2 when the build
# fails and 3 when its machinery does (naming in $failed how).
suite_check() {  # suite_check LOG
  cmake --build build >>"$1" 2>&1 || return 2
  # The first failing test decides; the rest would take minutes a fault.
  ctest --test-dir build --output-on-failure --stop-on-failure >>"$1" 2>&1 && return 0
  if grep -Eq "$machinery_failed" "$1"; then
    failed=$(grep -Em 1 "$machinery_failed" "$1")
    return 3
  fi
  failed=$(sed -n '/^The following tests FAILED:/,$s/^[[:space:]]*[0-9]* - \(.*\) (.*)$/\1/p' "$1" | paste -sd ' ')
  [ -n "$failed" ] || { failed="ctest failed, but named no failing test"; return 3; }
  # Within the window's tests, the test functions that failed.
  local functions
  functions=$(sed -n 's/^FAIL! *: [A-Za-z_:]*::\([A-Za-z0-9_]*\)(.*/\1/p' "$1" | LC_ALL=C sort -u | paste -sd ' ')
  [ -z "$functions" ] || failed="$failed ($functions)"
  return 1
}
windows_archive_check() {  # windows_archive_check LOG
  rm -rf build-archive
  { cmake --preset windows -B build-archive && cmake --build build-archive; } >>"$1" 2>&1 || return 2
  # A fault in the packing fails it: that is the packing catching it.
  tools/make-packages.sh build-archive >>"$1" 2>&1 || { failed="the packing (tools/make-packages.sh)"; return 1; }
  local status=0
  tools/rebuild-elsewhere.sh build-archive --preset windows >>"$1" 2>&1 || status=$?
  case $status in
    0) return 0 ;;
    1) failed="the second build elsewhere (the archive differs)"; return 1 ;;
    *) failed="the second build elsewhere failed"; return 3 ;;
  esac
}
checks() {  # checks TAG LOG
  if [[ $platform == windows && $1 == archive ]]; then
    windows_archive_check "$2"
  else
    suite_check "$2"
  fi
}

cmake -S . -B build "${configure[@]}" >"$logs/no-fault.log" 2>&1 ||
  { echo "The scratch copy could not be configured; see $logs/no-fault.log" >&2; exit 1; }
for tag in suite archive; do
  [[ $tag == suite || $platform == windows ]] || continue
  status=0
  checks "$tag" "$logs/no-fault.log" || status=$?
  ((status == 0)) || { echo "The checks fail without any fault planted; see $logs/no-fault.log" >&2; exit 1; }
done

caught=0 survived=0 unjudged=0 total=0 skipped=0
while IFS='|' read -r file find replace meaning tag; do
  [[ -z "$file" || "$file" == \#* ]] && continue
  if [[ $tag == linux && $platform != linux ]]; then
    skipped=$((skipped + 1)); echo "skipped     $meaning (Linux packages only)"; continue
  fi
  total=$((total + 1))
  log=$logs/$(printf '%02d' "$total")-$(tr -c 'A-Za-z0-9\n' - <<<"$meaning" | cut -c1-50).log
  echo "Fault: $meaning ($file)" >"$log"
  cp "$file" "$file.orig"
  FIND=$find REPLACE=$replace perl -0pi -e 's/\Q$ENV{FIND}\E/$ENV{REPLACE}/ or exit 3' "$file" ||
    { echo "cannot plant: $meaning ($file: text not found)" >&2; exit 1; }
  status=0 failed=
  checks "$tag" "$log" || status=$?
  mv "$file.orig" "$file"
  touch "$file"  # newer than the objects built from the fault
  case $status in
    0) survived=$((survived + 1)); echo "SURVIVED    $meaning" ;;
    1) caught=$((caught + 1)); echo "caught      $meaning, by $failed" ;;
    2) unjudged=$((unjudged + 1)); echo "not judged  $meaning: the build fails; its log: $log" ;;
    3)
      echo "not judged  $meaning: the checks could not run ($failed); its log: $log"
      echo "The machinery of the checks failed; stopped after $total faults, of which $caught caught" >&2
      exit 1 ;;
  esac
done <"$list"
echo "$caught of $total faults caught, $survived survived, $unjudged not judged," \
  "$skipped not tried here; the logs: $logs"
((survived == 0 && unjudged == 0))
