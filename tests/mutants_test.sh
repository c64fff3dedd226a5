#!/usr/bin/env bash
# Holds tools/mutants.sh to its four outcomes on quick faults (the
# generator alone, the tables' tests only): a caught fault is named with the
# tests that caught it; a harmless change SURVIVED; a fault that breaks the
# build could not build, and the next is still caught; a test's program
# missing is not judged and stops the run. Exit codes 1, 1 and 2.
# Usage: tests/mutants_test.sh   (about a minute)
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
work=$PWD/build-mutants-test
rm -rf "$work"
mkdir -p "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }

lower='codegen/nibble.cpp|"0123456789ABCDEF"|"0123456789abcdef"|hex letters in lower case'
doubling='codegen/nibble.cpp|digit = digit * 2 +|digit = (digit << 1) +|a doubling written as a shift'
syntax='codegen/nibble.cpp|return kDigits[digit];|return kDigits[digit]|a semicolon missing'
# shellcheck disable=SC2016 # the CMake variable, not the shell's
missing='tests/CMakeLists.txt|COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/shellcheck_test.sh|COMMAND shellcheck-not-installed|the shell check'"'"'s program is missing'

# run NAME STATUS TESTS FAULT...: must end with STATUS; output in $work/NAME.txt
run() {
  local name=$1 expected=$2 tests=$3 status=0
  printf '%s\n' "${@:4}" >"$work/$name-faults.txt"
  tools/mutants.sh --tests "$tests" -DTOLVANE_WITH_WINDOW=OFF --logs "$work/$name" "$work/$name-faults.txt" \
    >"$work/$name.txt" 2>&1 || status=$?
  sed "s/^/$name: /" "$work/$name.txt"
  ((status == expected)) || fail "the $name run ended with $status, not $expected"
}
has() {  # has NAME REGEX WHY
  grep -Eq "$2" "$work/$1.txt" || fail "$3; the $1 run's output: $work/$1.txt"
}

run survivor 1 '^Tables\.' "$lower" "$doubling"
has survivor '^caught +hex letters in lower case, by Tables\.' "the lower-case fault was not reported caught by the tables' tests"
has survivor '^SURVIVED +a doubling written as a shift$' "the harmless change was not reported as a survivor"
has survivor '^1 of 2 faults caught, 1 survived, 0 could not build' "the survivor is not counted"
! grep -E 'Test +#[0-9]+: ' "$work/survivor/no-fault.log" | grep -v ': Tables\.' ||
  fail "tests that --tests leaves out were run"

run unbuildable 1 '^Tables\.' "$syntax" "$lower"
has unbuildable '^could not build +a semicolon missing; its log: ' "the syntax error was not reported as a fault that could not build"
grep -q 'a semicolon missing' "$work/unbuildable/01-"*.log || fail "the unbuildable fault's log is not kept"
has unbuildable '^caught +hex letters in lower case, by Tables\.' "after a fault that could not build, the next was not caught"
has unbuildable '^1 of 2 faults caught, 0 survived, 1 could not build' "the fault that could not build is not counted"

run machinery 2 '^shell_scripts_pass_shellcheck$' "$missing" "$lower"
grep -q '^caught' "$work/machinery.txt" && fail "a missing program counted as a catch, or the run went on after it"
has machinery "^not judged +the shell check's program is missing: the checks could not run \(.*shellcheck-not-installed.*\); its log: " \
  "the missing program was not reported as not judged, naming it"
has machinery '^The machinery of the checks failed; stopped after 1 faults' "the run did not stop at the missing program"
log=$(sed -n 's/^not judged .*; its log: //p' "$work/machinery.txt")
grep -q 'shellcheck-not-installed' "$log" || fail "the not-judged fault's log ($log) does not show why"
echo "== Caught, SURVIVED, could not build and not judged, each told apart"
