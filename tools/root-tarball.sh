#!/usr/bin/env bash
# Prints the path of a clean Debian root, as a tarball that sbuild and
# autopkgtest unpack afresh for each run, made by mmdebstrap and kept in
# the cache for a week, one per release, kind and the files that shape it.
#   build: what sbuild needs, with Tolvane's build dependencies (for the
#          host architecture HOST, cross-building when it is not this
#          machine's) and the release's own lintian and blhc installed
#   test:  a plain root with what the installed package and its tests need
#   work:  a minimal root with the packages each LIST file names, one a line
#          (tools/in-root.sh)
# Usage: tools/root-tarball.sh bookworm|trixie build [HOST] | test | work [LIST ...]
#   TOLVANE_CACHE  the cache folder (default /var/cache/tolvane, or
#                  ~/.cache/tolvane for a user)
#   DEBIAN_MIRROR  where mmdebstrap fetches from (its own default when unset)
#   TOLVANE_LOGS   where mmdebstrap's log goes (default: the cache's roots)
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
usage() { echo "Usage: $0 bookworm|trixie build [HOST] | test | work [LIST ...]" >&2; exit 2; }
[[ ${1:-} == @(bookworm|trixie) ]] || usage
suite=$1 kind=${2:-build}
build_arch=$(dpkg --print-architecture)
host=$build_arch
[ "$kind" != build ] || host=${3:-$build_arch}
# The package lists stay in the root: its builds and tests install what it
# already holds, and fetch nothing.
options=(--variant=buildd --skip=cleanup/apt/lists)
# shellcheck disable=SC2016,SC2054 # $1 is the root, as mmdebstrap hands it to its hooks; commas list its packages
case $kind in
  build)
    shaped_by=(debian/control)
    options+=(--include=lintian,blhc --customize-hook='mkdir -p "$1/tmp/tolvane/debian"'
      --customize-hook='copy-in debian/control /tmp/tolvane/debian')
    build_dep=(apt-get build-dep --yes --no-install-recommends)
    if [ "$host" != "$build_arch" ]; then
      # sbuild resolves a cross-build's dependencies with apt's own solver
      # (apt-utils from Debian 13 on), and brings its own release's where
      # the root has none, which fails against another release's apt.
      options+=(--architectures="$build_arch,$host" --include="crossbuild-essential-$host,apt-utils")
      build_dep+=(--host-architecture "$host" --build-profiles cross)
    fi
    options+=(--customize-hook="chroot \"\$1\" ${build_dep[*]} /tmp/tolvane"
      --customize-hook='rm -rf "$1/tmp/tolvane"') ;;
  test)
    shaped_by=(debian/tests/control)
    # What the tests need, the package's own libraries and autopkgtest's
    # apt-utils, already in the root, so that only the package is installed.
    mapfile -t needed < <(sed -n 's/^Depends: //p' debian/tests/control | tr -s ', ' '\n' |
      grep -vx -e tolvane -e '' | LC_ALL=C sort -u)
    needed+=(apt-utils libqt6widgets6 qt6-qpa-plugins)
    options+=(--include="$(IFS=,; echo "${needed[*]}")") ;;
  work)
    shaped_by=()  # the packages themselves are in the options
    mapfile -t needed < <(cat /dev/null "${@:3}" | grep -v '^#' | LC_ALL=C sort -u)
    needed=(ca-certificates "${needed[@]}")
    options=(--variant=minbase --skip=cleanup/apt/lists --include="$(IFS=,; echo "${needed[*]}")"
      --customize-hook='echo "A Debian root made by tools/root-tarball.sh" >"$1/etc/tolvane-root"') ;;
  *) usage ;;
esac

default_cache=/var/cache/tolvane
[ "$(id -u)" -eq 0 ] || default_cache=${XDG_CACHE_HOME:-$HOME/.cache}/tolvane
cache=$(realpath -m "${TOLVANE_CACHE:-$default_cache}")/roots
# Keyed by what shapes it: the options mmdebstrap gets and the file it reads.
key=$(printf '%s\n' "${options[@]}" | cat - "${shaped_by[@]}" | sha256sum | cut -c1-12)
name=$suite-$kind-$build_arch-$host
tarball=$cache/$name-$key.tar
if [ -n "$(find "$tarball" -mtime -7 2>/dev/null)" ]; then
  echo "$tarball"
  exit 0
fi
mkdir -p "$cache"
chmod 755 "$cache"
# Made under a name of its own, then renamed: a run beside this one sees
# the whole tarball or none. The name is locked while it is written, so that
# the next run removes what one killed outright left.
find "$cache" -maxdepth 1 -name '.partial-*' -mmin +1 -exec flock -n {} rm -f {} \; 2>/dev/null || true
partial=$(mktemp --suffix=.tar "$cache/.partial-$name.XXXXXX")
exec {lock}<"$partial"
flock "$lock"
trap 'rm -f "$partial"' EXIT
log=$(realpath -m "${TOLVANE_LOGS:-$cache}")/root-$name-$key.log
mkdir -p "$(dirname "$log")"
echo "== Making the Debian $suite root for $kind ($host), about two minutes; log: $log" >&2
mirror=()
[ -z "${DEBIAN_MIRROR:-}" ] || mirror=("$DEBIAN_MIRROR")
make=(mmdebstrap "${options[@]}" "$suite" - "${mirror[@]}")
if [ "$(id -u)" -eq 0 ]; then
  # mmdebstrap's own work, its mounts included, in memory of a mount and PID
  # namespace of its own, which the kernel ends with this script however it
  # ends.
  tmp=$(dirname "$cache")/mnt
  mkdir -p "$tmp"
  # shellcheck disable=SC2016 # the script is the namespace's own
  make=(setpriv --pdeathsig KILL -- unshare --mount --propagation private --pid --fork --kill-child
    --mount-proc -- sh -ec 'mount -t tmpfs tolvane-mmdebstrap "$1"; export TMPDIR=$1; shift; exec "$@"'
    make "$tmp" "${make[@]}")
fi
"${make[@]}" >"$partial" 2>"$log" &
making=$!
# The namespaces end with all in them; mmdebstrap of a user's cleans up.
stop=KILL
[ "$(id -u)" -eq 0 ] || stop=TERM
trap 'kill -$stop "$making" 2>/dev/null || true; wait "$making" || true; exit 129' HUP
trap 'kill -$stop "$making" 2>/dev/null || true; wait "$making" || true; exit 130' INT
trap 'kill -$stop "$making" 2>/dev/null || true; wait "$making" || true; exit 143' TERM
wait "$making" || { tail -n 20 "$log" >&2; echo "mmdebstrap failed; its log: $log" >&2; exit 1; }
chmod 644 "$partial"
mv -f "$partial" "$tarball"
# Roots past their week go;
# another branch's root of the same release and kind stays its week.
find "$cache" -maxdepth 1 -name "*.tar" -mtime +7 -delete
echo "$tarball"
