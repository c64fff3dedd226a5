#!/usr/bin/env bash
# Proves the packages in BUILD_DIR reproducible: builds the same sources a
# second time from nothing (no compiler cache) in another folder, from
# files dated otherwise, under another umask, time zone and locale, with
# the build folder beside the sources where the first was in them (or the
# other way round), packs them with tools/make-packages.sh and fails unless
# each package this second build made comes out the same to the byte as
# BUILD_DIR's of the same name (BUILD_DIR's packages of other versions are
# left alone). The second build lies on a tmpfs of its own mount namespace
# where one can be made: another kind of file system than a build folder
# on disk, which lists files in another order, and memory the kernel frees
# however this command ends, even by SIGKILL. Where none can be made it
# lies on disk under TMPDIR, and that order is not varied.
# On a difference it keeps the second build in BUILD_DIR-elsewhere and
# prints what Debian's diffoscope finds between the two (also kept there,
# in diffoscope.txt).
# Usage: tools/rebuild-elsewhere.sh BUILD_DIR [configure argument ...]
#   the arguments configure the second build as the first was configured
#   SOURCE_DATE_EPOCH  as for tools/make-packages.sh
# Ends with 1 when a package differs, 2 on any failure of its own (the
# second build failing, a package BUILD_DIR lacks): never 1 for those.
set -euo pipefail
shopt -s inherit_errexit
work='' found_different=''
# shellcheck disable=SC2317 # run by the trap
finish() {
  local status=$?
  [ -z "$work" ] || rm -rf "$work" || true
  # Any failure of this script's own is no difference found: 2, never 1.
  ((status == 0)) || [[ $status == 1 && -n $found_different ]] || status=2
  exit "$status"
}
trap finish EXIT
(($#)) || { echo "Usage: tools/rebuild-elsewhere.sh BUILD_DIR [configure argument ...]" >&2; exit 2; }
[ -d "$1" ] || { echo "No build folder $1" >&2; exit 2; }
build=$(realpath "$1")
cd "$(dirname "$0")/.."
SOURCE_DATE_EPOCH=$(tools/release-date.sh)
export SOURCE_DATE_EPOCH

# build_again WORK TMPFS BUILD_DIR [configure argument ...]: builds and
# packs the sources in WORK/again (on a tmpfs mounted there when TMPFS is
# set), compares what it made with BUILD_DIR's and lists in WORK/different
# the packages that differ. Run in a shell of its own, in the namespaces.
# shellcheck disable=SC2317 # run by that shell
build_again() {
  local work=$1 tmpfs=$2 build=$3 again=$1/again second package status
  [ -z "$tmpfs" ] || mount -t tmpfs -o mode=700 tolvane-elsewhere "$again"
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
  echo "== Building it again in $second${tmpfs:+, on a tmpfs of its own}"
  umask 002
  # From nothing: a compiler cache would hand back the first build's objects.
  export TZ=XYZ-13:45 LC_ALL=C TMPDIR=$again CCACHE_DISABLE=1
  unset CMAKE_C_COMPILER_LAUNCHER CMAKE_CXX_COMPILER_LAUNCHER
  cd "$again/src"
  cmake -S . -B "$second" "${@:4}"
  cmake --build "$second"
  tools/make-packages.sh "$second"
  local made=()
  mapfile -t made < <(find "$second" -maxdepth 1 -type f \( -name '*.zip' -o -name '*.deb' \) \
    -printf '%P\n' | LC_ALL=C sort)
  ((${#made[@]})) || { echo "The second build made no package" >&2; return 2; }
  for package in "${made[@]}"; do
    [ -f "$build/$package" ] ||
      { echo "$build has no $package to compare: pack it first (tools/make-packages.sh)" >&2; return 2; }
  done
  : >"$work/different"
  for package in "${made[@]}"; do
    status=0
    cmp "$build/$package" "$second/$package" || status=$?
    case $status in
      0) ;;
      1) echo "$package" >>"$work/different" ;;
      *) return 2 ;;
    esac
  done
  if [ -s "$work/different" ]; then
    rm -rf "$build-elsewhere"
    cp -a "$second" "$build-elsewhere"
  else
    echo "== ${made[*]}: the same, byte for byte, when built elsewhere"
  fi
}
export -f build_again

work=$(mktemp -d)
mkdir "$work/again"
# A mount namespace of the build's own, and a PID namespace whose end ends
# every compiler in it, so that nothing keeps the tmpfs once this ends.
# Its mounts are made private, so that the tmpfs never reaches the host;
# in a Debian root's namespace, whose "/" is no mount point to change, they
# are private already: there "unchanged" does, where no mount is shared.
private=() tmpfs=''
for propagation in private unchanged; do
  [[ $propagation == private ]] || ! grep -q ' shared:' /proc/self/mountinfo || break
  namespaces=(unshare --mount --propagation "$propagation" --pid --fork --kill-child)
  ((EUID == 0)) || namespaces+=(--user --map-root-user)
  if "${namespaces[@]}" true 2>/dev/null; then
    private=(setpriv --pdeathsig KILL -- "${namespaces[@]}" --) tmpfs=yes
    break
  fi
done
[ -n "$tmpfs" ] || echo "No mount namespace to be had (unshare): the second build goes to disk," \
  "on the file system of $work" >&2
"${private[@]}" bash -c 'set -euo pipefail; shopt -s inherit_errexit; build_again "$@"' \
  build_again "$work" "$tmpfs" "$build" "${@:2}" ||
  { echo "The second build failed, so no difference was judged" >&2; exit 2; }
[ -s "$work/different" ] || exit 0

mapfile -t different <"$work/different"
kept=$build-elsewhere
echo "Built elsewhere, ${different[*]} came out otherwise; the second build is kept in $kept" >&2
tools/install-packages.sh diffoscope-minimal >&2 || echo "diffoscope could not be installed" >&2
for package in "${different[@]}"; do
  diffoscope --no-progress "$build/$package" "$kept/$package" || true
done | tee "$kept/diffoscope.txt" >&2
found_different=yes
exit 1
