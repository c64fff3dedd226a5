#!/usr/bin/env bash
# tools/rebuild-elsewhere.sh on a small project of its own (a ZIP archive
# of a C and a C++ file), in seconds: it compares only the
# packages it built again, each with the build folder's of the same name,
# and ends 0 when they agree, 1 when one differs (keeping the second build)
# and 2 on a failure of its own; it compiles from nothing, with no compiler
# launcher from the environment, on a tmpfs no other mount namespace sees,
# whose build ends when it is killed.
# Usage: tests/rebuild_elsewhere_test.sh SOURCE_DIR
set -euo pipefail
shopt -s inherit_errexit
source_dir=$(realpath "$1")
t=$(mktemp -d)
trap 'rm -rf "$t"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

src=$t/src
mkdir -p "$src/tools"
cp "$source_dir"/tools/{rebuild-elsewhere,make-packages,release-date}.sh "$src/tools/"
# No package is installed for the diffoscope of a difference.
printf '#!/bin/sh\nexit 0\n' >"$src/tools/install-packages.sh"
chmod +x "$src/tools/install-packages.sh"
cat >"$src/CMakeLists.txt" <<'EOF'
cmake_minimum_required(VERSION 3.25)
project(tiny VERSION 2.0 LANGUAGES C CXX)
if(TINY_FAIL)
  message(FATAL_ERROR "This configure fails, as asked")
endif()
# Compiled, not shipped: through any compiler launcher of the environment.
add_executable(tiny main.cpp part.c)
add_custom_target(probe ALL COMMAND sh ${CMAKE_SOURCE_DIR}/probe.sh)
install(FILES readme.txt DESTINATION share/doc/tiny)
set(CPACK_GENERATOR ZIP)
include(CPack)
EOF
echo 'int part(void) { return 0; }' >"$src/part.c"
echo 'extern "C" int part(); int main() { return part(); }' >"$src/main.cpp"
echo 'A small project.' >"$src/readme.txt"
# Where it is built: the file system's kind, and a wait to be killed in.
cat >"$src/probe.sh" <<'EOF'
[ -z "${PROBE:-}" ] || stat -f -c %T . >"$PROBE"
[ -z "${HOLD:-}" ] || exec sleep "$HOLD"
EOF
export SOURCE_DATE_EPOCH=1700000000 TMPDIR=$t
(cd "$src" && cmake -S . -B build -G Ninja && cmake --build build && tools/make-packages.sh build) \
  >"$t/first.log" 2>&1 || { cat "$t/first.log"; fail "the first build failed"; }
zip=tiny-2.0-Linux.zip
[ -f "$src/build/$zip" ] || fail "the first build made no $zip"

# A compiler launcher from the environment must not be used: one that
# fails fails the build that uses it.
export CMAKE_C_COMPILER_LAUNCHER=false CMAKE_CXX_COMPILER_LAUNCHER=false
# case | status | what the build folder holds | configure argument
while IFS='|' read -r name expected holds argument; do
  folder=$t/$name
  mkdir "$folder"
  for package in $holds; do
    case $package in
      stale) echo 'an older version' >"$folder/tiny-1.0-Linux.zip" ;;
      changed-zip) cp "$src/build/$zip" "$folder/" && printf 'x' >>"$folder/$zip" ;;
      *) cp "$src/build/$package" "$folder/" ;;
    esac
  done
  status=0
  PROBE=$t/$name.fs "$src/tools/rebuild-elsewhere.sh" "$folder" -G Ninja ${argument:+"$argument"} \
    >"$t/$name.log" 2>&1 || status=$?
  [ "$status" = "$expected" ] ||
    { cat "$t/$name.log"; fail "$name: ended $status, not $expected"; }
  echo "== $name: ended $status"
done <<EOF
same|0|$zip stale|
lacks-zip|2||
differs|1|changed-zip|
second-build-fails|2|$zip|-DTINY_FAIL=ON
EOF
[ -f "$t/differs-elsewhere/$zip" ] || fail "the second build is not kept where a package differs"
[ ! -e "$t/same-elsewhere" ] || fail "the second build is kept where the packages agree"
grep -q "$zip came out otherwise" "$t/differs.log" || fail "the differing package is not named"
# Called without a build folder, with one that is not there, and with no
# date for the packages (no SOURCE_DATE_EPOCH, no commit: a step that
# fails with 1, which is no difference either).
ends_2() {
  local status=0
  "$@" >"$t/call.log" 2>&1 || status=$?
  ((status == 2)) || { cat "$t/call.log"; fail "$* ended $status, not 2"; }
}
ends_2 "$src/tools/rebuild-elsewhere.sh"
ends_2 "$src/tools/rebuild-elsewhere.sh" "$t/no-such-folder"
ends_2 env -u SOURCE_DATE_EPOCH "$src/tools/rebuild-elsewhere.sh" "$src/build"

if grep -q 'No mount namespace' "$t/same.log"; then
  namespace=(unshare --mount --propagation private)
  ((EUID == 0)) || namespace+=(--user --map-root-user)
  ! "${namespace[@]}" true 2>/dev/null || fail "the second build went to disk where a mount namespace can be had"
  echo "== No mount namespace here: the second build went to disk, as it said"
  exit 0
fi
[ "$(cat "$t/same.fs")" = tmpfs ] || fail "the second build was on $(cat "$t/same.fs"), not a tmpfs"
# Killed while it builds: no mount reached this namespace, and nothing of
# the build is left running.
hold=600.$$
HOLD=$hold PROBE=$t/killed.fs "$src/tools/rebuild-elsewhere.sh" "$src/build" -G Ninja \
  >"$t/killed.log" 2>&1 &
script=$!
for _ in $(seq 300); do [ -s "$t/killed.fs" ] && break; sleep 0.1; done
[ -s "$t/killed.fs" ] || { cat "$t/killed.log"; fail "the build to be killed never started"; }
! grep -q tolvane-elsewhere /proc/self/mountinfo || fail "the second build's tmpfs is seen outside"
{ kill -KILL "$script" && wait "$script"; } 2>/dev/null || true
for _ in $(seq 50); do pgrep -fx "sleep $hold" >/dev/null || break; sleep 0.1; done
if left=$(pgrep -fx "sleep $hold"); then
  kill "$left"
  fail "the second build went on after its command was killed"
fi
echo "== The second build, on a tmpfs of its own, ends when it is killed"
