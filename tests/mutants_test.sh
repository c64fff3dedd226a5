#!/usr/bin/env bash
# Runs tools/mutants.sh on two faults: one the tests catch, and one whose
# checks cannot run because a program they need is missing. The first must
# be reported caught, by the tests that fail on it; the second not judged,
# never caught, and the run must stop with an error, the fault's log kept.
# Usage: tests/mutants_test.sh   (a few minutes: the suite runs three times)
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
work=$PWD/build-mutants-test
rm -rf "$work"
mkdir -p "$work"
fail() { echo "FAIL: $*; the run's output: $work/output.txt" >&2; exit 1; }

cat >"$work/faults.txt" <<'FAULTS'
codegen/nibble.cpp|"0123456789ABCDEF"|"0123456789abcdef"|hex letters in lower case
tests/packages_test.sh|lintian --fail-on|lintian-not-installed --fail-on|the package check's lintian is missing
FAULTS
status=0
tools/mutants.sh "$work/faults.txt" >"$work/output.txt" 2>&1 || status=$?
cat "$work/output.txt"

((status != 0)) || fail "a run whose machinery failed ended with success"
grep -Eq '^caught +hex letters in lower case, by .*Tables\.' "$work/output.txt" ||
  fail "the lower-case fault was not reported caught by the tables' tests"
grep -q '^caught.*lintian' "$work/output.txt" && fail "a missing program counted as a catch"
grep -Eq '^not judged +the package check.s lintian is missing: the checks could not run \(.*lintian-not-installed.*\); its log: ' \
  "$work/output.txt" || fail "the missing program was not reported as not judged, naming it"
log=$(sed -n 's/^not judged .*; its log: //p' "$work/output.txt")
grep -q 'lintian-not-installed' "$log" || fail "the not-judged fault's log ($log) does not show why"
echo "== A caught fault is named with its tests; a missing program is not judged, and stops the run"
