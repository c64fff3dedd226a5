#!/usr/bin/env bash
# Plants each fault of tools/mutants.txt in turn in a scratch copy of the
# checkout, builds it and runs the checks that must catch it. Each is
# "caught" (the failing tests named), "SURVIVED", "could not build", or
# "not judged": the checks' machinery failed (a program missing, Wine not
# starting), which stops the run. Ends with 0 when all are caught, 1 when
# one survived or could not build, 2 when it could not judge them. Logs in
# build-mutants/ (with --windows, build-win64/mutants/faults).
# Usage (about 20 minutes; --windows, as root, 45; --web, 4 a fault):
#   tools/mutants.sh [--windows | --web ZIP] [--tests REGEX] [-DNAME=VALUE ...] [--logs DIR] [list]
#   --tests REGEX  only the tests matching REGEX (ctest -R) check each fault
#   -DNAME=VALUE   configures the copy, e.g. -DTOLVANE_WITH_WINDOW=OFF
#   --windows      in a Debian 13 root: the suite under Wine, and the faults
#                  tagged "archive" judged by reprotest on the Windows archive
#   --web ZIP      the faults tagged "web:CASE", planted over the web archive
#                  by tools/web/replant.py, caught only by the page's case CASE
# The copy is always built in the same folder, so that ccache gives back
# objects with the same absolute paths a plain build has.
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
platform=linux configure=(-G Ninja) logs=$PWD/build-mutants list=tools/mutants.txt
windows='' web_zip='' tests='' given_logs='' forwarded=()
usage() { echo "Usage: $0 [--windows | --web ZIP] [--tests REGEX] [-DNAME=VALUE ...] [--logs DIR] [list]" >&2; exit 2; }
while (($#)); do
  case $1 in
    --windows) windows=yes ;;
    --web) (($# >= 2)) || usage; web_zip=$(realpath "$2") platform=web; shift ;;
    --in-windows-root)
      [ -f /etc/tolvane-root ] ||
        { echo "--in-windows-root is what --windows runs inside its Debian root, not on the host" >&2; exit 2; }
      (($# >= 3)) || usage
      platform=windows configure=(--preset windows-tests) list=$2 logs=$3
      shift 2 ;;
    --tests) (($# >= 2)) || usage; tests=$2 forwarded+=("$1" "$2"); shift ;;
    --logs) (($# >= 2)) || usage; given_logs=$(realpath "$2"); shift ;;
    -D?*) configure+=("$1") forwarded+=("$1") ;;
    -*) usage ;;
    *) list=$1 ;;
  esac
  shift
done
if [ -n "$windows" ]; then
  [ -z "$given_logs" ] || usage
  out=$PWD/build-win64/mutants
  rm -rf "$out"
  mkdir -p "$out"
  cp "$list" "$out/mutants.txt"
  echo "The faults' logs go to $out/faults"
  exec tools/in-root.sh --packages tools/windows/packages.txt --packages tools/windows/test-packages.txt \
    --bind "${TOLVANE_CACHE:-/var/cache/tolvane}:/var/cache/tolvane" --bind "$out:/out" \
    tools/mutants.sh --in-windows-root /out/mutants.txt /out/faults "${forwarded[@]}"
fi
if [[ $platform == windows ]]; then
  tools/qt/build-qt.sh windows /var/cache/tolvane
  export CCACHE_DIR=/var/cache/tolvane/ccache CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
fi
[[ $platform == windows ]] || tools/setup.sh >/dev/null  # the packages the suite needs
logs=${given_logs:-$logs}
list=$(realpath "$list")
[ -f "$list" ] || { echo "No list of faults $list" >&2; exit 2; }

mkdir -p build-mutants-scratch
exec {lock}>build-mutants-scratch/lock
flock -n "$lock" || { echo "Another tools/mutants.sh runs in this checkout" >&2; exit 2; }
scratch=$PWD/build-mutants-scratch/copy
verdict=''
# Whatever stops the run but a verdict on its faults ends it with 2.
# shellcheck disable=SC2317 # run by the trap
finish() {
  local status=$?
  rm -rf "$scratch" || true
  ((status == 0)) || [[ $status == 1 && -n $verdict ]] || status=2
  exit "$status"
}
trap finish EXIT
rm -rf "$logs" "$scratch"
mkdir -p "$logs" "$scratch"
git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$scratch"
ln -s "$PWD/.git" "$scratch/.git"  # the packages take their date from the commit
cd "$scratch"
export QT_QPA_PLATFORM=offscreen

# What the checks print when they could not run at all: a program missing,
# Wine not starting, tools/windows/wine-run.sh's own refusals.
readonly machinery_failed='command not found|: not found$|Unable to find executable|\*\*\*Not Run|^wine: (could not|cannot|failed to)|^wine-run.sh: '

# Each check logs to LOG and returns 0 when it passes, 1 when it fails on
# what it checks, 2 when the build fails, 3 when its machinery does ($failed
# says what or how).
suite_check() {  # suite_check LOG
  cmake --build build >>"$1" 2>&1 || return 2
  # The first failing test decides; the rest would take minutes a fault.
  ctest --test-dir build --output-on-failure --stop-on-failure --no-tests=error \
    ${tests:+--tests-regex "$tests"} >>"$1" 2>&1 && return 0
  ! failed=$(grep -Em 1 "$machinery_failed" "$1") || return 3
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
  tools/reprotest.sh windows "$PWD/build-reprotest-store" >>"$1" 2>&1 || status=$?
  case $status in
    0) return 0 ;;
    1) failed="reprotest (the archive differs)"; return 1 ;;
    *) failed="reprotest could not build the archive"; return 3 ;;
  esac
}
web_check() {  # web_check CASE LOG: the page's case CASE ("" all of them)
  rm -rf web-site web-planted.zip
  unzip -q "$web_zip" -d web-site
  /usr/bin/python3 tools/web/replant.py web-site . >>"$2" 2>&1 || return 2
  (cd web-site && zip -qrX ../web-planted.zip .)
  TOLVANE_WEB_CASES=$1 tests/web_zip_test.sh web-planted.zip "$PWD/web-shots" >>"$2" 2>&1 && return 0
  failed=$(grep -m 1 -F "FAIL ($1" "$2") ||
    { failed="not its case \"$1\": $(grep -m 1 '^FAIL' "$2" || echo 'no case failed')"; return 3; }
  return 1
}
checks() {  # checks TAG LOG
  if [[ $platform == web ]]; then
    web_check "${1#web:}" "$2"
  elif [[ $platform == windows && $1 == archive ]]; then
    windows_archive_check "$2"
  else
    suite_check "$2"
  fi
}

[[ $platform == web ]] ||
  cmake -S . -B build "${configure[@]}" >"$logs/no-fault.log" 2>&1 ||
  { echo "The scratch copy could not be configured; see $logs/no-fault.log" >&2; exit 2; }
for tag in suite archive; do
  [[ $tag == suite || $platform == windows ]] || continue
  [[ $platform != web ]] || tag=web:  # every case of the page
  status=0
  checks "$tag" "$logs/no-fault.log" || status=$?
  ((status == 0)) || { echo "The checks fail without any fault planted; see $logs/no-fault.log" >&2; exit 2; }
done

caught=0 survived=0 unbuilt=0 total=0 skipped=0
while IFS='|' read -r file find replace meaning tag; do
  [[ -z "$file" || "$file" == \#* ]] && continue
  if [[ $tag == archive && $platform == linux ]]; then
    skipped=$((skipped + 1)); echo "skipped          $meaning (the archives' faults with --windows only)"; continue
  fi
  if [[ $tag == web:* && $platform != web || $tag != web:* && $platform == web ]]; then
    skipped=$((skipped + 1)); echo "skipped          $meaning (the page's faults with --web only)"; continue
  fi
  # Only the page's script and worker are planted over the archive.
  [[ $tag != web:* || $file == web/tolvane.js || $file == web/service-worker.js.in ]] ||
    { echo "cannot plant: $meaning ($file is not the page's script or worker)" >&2; exit 2; }
  total=$((total + 1))
  log=$logs/$(printf '%02d' "$total")-$(tr -c 'A-Za-z0-9\n' - <<<"$meaning" | cut -c1-50).log
  echo "Fault: $meaning ($file)" >"$log"
  cp "$file" "$file.orig"
  FIND=$find REPLACE=$replace perl -0pi -e 's/\Q$ENV{FIND}\E/$ENV{REPLACE}/ or exit 3' "$file" ||
    { echo "cannot plant: $meaning ($file: text not found)" >&2; exit 2; }
  status=0 failed=
  checks "$tag" "$log" || status=$?
  mv "$file.orig" "$file"
  touch "$file"  # newer than the objects built from the fault
  case $status in
    0) survived=$((survived + 1)); echo "SURVIVED         $meaning" ;;
    1) caught=$((caught + 1)); echo "caught           $meaning, by $failed" ;;
    2) unbuilt=$((unbuilt + 1)); echo "could not build  $meaning; its log: $log" ;;
    3)
      echo "not judged       $meaning: the checks could not run ($failed); its log: $log"
      echo "The machinery of the checks failed; stopped after $total faults, of which $caught caught" >&2
      exit 2 ;;
  esac
done <"$list"
echo "$caught of $total faults caught, $survived survived, $unbuilt could not build," \
  "$skipped not tried here; the logs: $logs"
verdict=yes
((survived == 0 && unbuilt == 0))
