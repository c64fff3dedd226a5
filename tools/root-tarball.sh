#!/usr/bin/env bash
# Prints the path of a clean Debian root: a tarball made by mmdebstrap and
# kept in the cache for a week, keyed by release, kind and what shapes it.
#   build: for sbuild: Tolvane's build dependencies for HOST (cross when it
#          is not this machine), the release's lintian and blhc
#   test:  for autopkgtest: what the installed package and its tests need
#   work:  for tools/in-root.sh: a minimal root with the packages the LIST
#          files name (# starts a comment)
# Usage: tools/root-tarball.sh bookworm|trixie build [HOST] | test | work [LIST ...]
#   TOLVANE_CACHE  the cache (/var/cache/tolvane, or ~/.cache/tolvane for a user)
#   DEBIAN_MIRROR  where mmdebstrap fetches from (its own default when unset)
#   TOLVANE_LOGS   where mmdebstrap's log goes (the cache's roots when unset)
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
usage() { echo "Usage: $0 bookworm|trixie build [HOST] | test | work [LIST ...]" >&2; exit 2; }
[[ ${1:-} == @(bookworm|trixie) ]] || usage
suite=$1 kind=${2:-build}
build_arch=$(dpkg --print-architecture)
host=$build_arch
[ "$kind" != build ] || host=${3:-$build_arch}
# The package lists stay, so that builds and tests install without fetching.
options=(--variant=buildd --skip=cleanup/apt/lists)
# shellcheck disable=SC2016,SC2054 # $1 is the root, as mmdebstrap hands it to its hooks; commas list its packages
case $kind in
  build)
    shaped_by=(debian/control)
    options+=(--include=lintian,blhc,ccache --customize-hook='mkdir -p "$1/tmp/tolvane/debian"'
      --customize-hook='copy-in debian/control /tmp/tolvane/debian')
    build_dep=(apt-get build-dep --yes --no-install-recommends)
    if [ "$host" != "$build_arch" ]; then
      # sbuild resolves a cross-build's dependencies with apt-utils, and one
      # of another release than the root's fails.
      options+=(--architectures="$build_arch,$host" --include="crossbuild-essential-$host,apt-utils")
      build_dep+=(--host-architecture "$host" --build-profiles cross)
    fi
    options+=(--customize-hook="chroot \"\$1\" ${build_dep[*]} /tmp/tolvane"
      --customize-hook='rm -rf "$1/tmp/tolvane"') ;;
  test)
    shaped_by=(debian/tests/control)
    # All but the package itself already in the root; nothing is built.
    mapfile -t needed < <(sed -n 's/^Depends: //p' debian/tests/control | tr -s ', ' '\n' |
      grep -vx -e tolvane -e '' | LC_ALL=C sort -u)
    needed+=(apt-utils libqt6widgets6 qt6-qpa-plugins)
    options=(--variant=apt --skip=cleanup/apt/lists --include="$(IFS=,; echo "${needed[*]}")") ;;
  work)
    shaped_by=()  # the packages themselves are in the options
    mapfile -t needed < <(cat /dev/null "${@:3}" | sed 's/#.*//' | tr -s ' \t' '\n' | grep . | LC_ALL=C sort -u)
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
[ -z "$(find "$tarball" -mtime -7 2>/dev/null)" ] || { echo "$tarball"; exit 0; }
mkdir -p "$cache"
chmod 755 "$cache"
# Written under a locked name of its own, then renamed: another run sees
# the whole tarball or none, and removes what a killed run left.
find "$cache" -maxdepth 1 -name '.partial-*' -mmin +1 -exec flock -n {} rm -f {} \; 2>/dev/null || true
partial=$(mktemp --suffix=.tar "$cache/.partial-$name.XXXXXX")
exec {lock}<"$partial"
flock "$lock"
trap 'rm -f "$partial"' EXIT
log=$(realpath -m "${TOLVANE_LOGS:-$cache}")/root-$name-$key.log
mkdir -p "$(dirname "$log")"
echo "== Making the Debian $suite root for $kind ($host), about two minutes; log: $log" >&2
make=(mmdebstrap "${options[@]}" "$suite" - ${DEBIAN_MIRROR:+"$DEBIAN_MIRROR"})
if [ "$(id -u)" -eq 0 ]; then
  # mmdebstrap's work, in memory of namespaces that end with this script.
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
signal=KILL
[ "$(id -u)" -eq 0 ] || signal=TERM
stop() { kill -"$signal" "$making" 2>/dev/null || true; wait "$making" || true; exit "$1"; }
trap 'stop 129' HUP; trap 'stop 130' INT; trap 'stop 143' TERM
wait "$making" || { tail -n 20 "$log" >&2; echo "mmdebstrap failed; its log: $log" >&2; exit 1; }
chmod 644 "$partial"
mv -f "$partial" "$tarball"
# Roots past their week go, another branch's of the same kind not before.
find "$cache" -maxdepth 1 -name "*.tar" -mtime +7 -delete
echo "$tarball"
