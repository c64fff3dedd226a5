#!/usr/bin/env bash
# Builds Tolvane's Debian packages from the source package of HEAD as
# Debian's builders do: sbuild in unshare mode, as an unprivileged user, in
# a clean Debian 12 or 13 root, with the tests (dh_auto_test), the release's
# lintian, pedantic, and for this machine's architecture the autopkgtests
# in another clean root; then blhc checks the build log for Debian's flags.
# Cross-built for HOST (arm64), the tests run under qemu-user. Packages and
# logs in build-deb/SUITE-HOST/.
# Usage: tools/sbuild.sh 12|13 [HOST]
#   Run by root, it builds as the user tolvane-build (made when missing);
#   run by a user, as that user, who needs ids in /etc/subuid and /etc/subgid.
#   TOLVANE_CACHE, DEBIAN_MIRROR as for tools/root-tarball.sh
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
case ${1:-} in
  12 | bookworm) suite=bookworm ;;
  13 | trixie) suite=trixie ;;
  *) echo "Usage: $0 12|13 [HOST]" >&2; exit 2 ;;
esac
build_arch=$(dpkg --print-architecture)
host=${2:-$build_arch}
out=$PWD/build-deb/$suite-$host
rm -rf "$out"
mkdir -p "$out"
tools/install-packages.sh sbuild mmdebstrap uidmap autopkgtest git
export TOLVANE_LOGS=$out
build_root=$(tools/root-tarball.sh "$suite" build "$host")

as_builder=()
if [ "$(id -u)" -eq 0 ]; then
  builder=tolvane-build
  # Not a system user, so that useradd gives it subordinate ids of its own.
  if ! id "$builder" >/dev/null 2>&1; then
    echo "== Making the user $builder, who builds the packages"
    # shellcheck disable=SC2016 # the script is sh -c's own
    flock /etc/passwd sh -c 'id "$1" >/dev/null 2>&1 ||
      useradd --create-home --home-dir "/var/lib/$1" --shell /usr/sbin/nologin "$1"' \
      make-user "$builder"
  fi
  as_builder=(runuser -u "$builder" --)
  # Root's builds compile through a cache of their own, one a root, since
  # the build user's id differs between them. Its files belong to the
  # builder's subordinate ids, which a user could not delete, so a user's
  # builds do not. The first of those ids is root in the build's root.
  compiler_cache=$(realpath -m "${TOLVANE_CACHE:-/var/cache/tolvane}")/sbuild-ccache/$suite-$host
  mkdir -p "$compiler_cache"
  first_id() { awk -F: -v user="$builder" '$1 == user {print $2; exit}' "$1"; }
  chown "$(first_id /etc/subuid):$(first_id /etc/subgid)" "$compiler_cache"
fi
work=$(mktemp -d /var/tmp/tolvane-sbuild.XXXXXX)
trap 'rm -rf "$work"' EXIT
trap 'exit 129' HUP; trap 'exit 130' INT; trap 'exit 143' TERM
chmod 755 "$work"
# The build user may not read the checkout (under /root, say).
cp tools/sbuildrc "$work/sbuildrc"
dsc=$(tools/source-package.sh "$work/source")
[ ${#as_builder[@]} -eq 0 ] || chown -R tolvane-build "$work"

options=(--chroot-mode=unshare --chroot="$build_root" --dist="$suite" --arch-any --no-arch-all
  --no-source --no-run-piuparts --no-apt-update --no-apt-upgrade --no-apt-distupgrade --run-lintian
  # The changelog names unstable, where Debian's uploads go; these
  # packages are built for each stable release.
  --lintian-opts="--pedantic --display-info --fail-on=error,warning --suppress-tags=distribution-and-changes-mismatch")
if [ "$host" = "$build_arch" ]; then
  test_root=$(tools/root-tarball.sh "$suite" test)
  options+=(--run-autopkgtest --autopkgtest-opts="-- unshare --release $suite --tarball $test_root")
else
  options+=(--host="$host" --profiles=cross --no-run-autopkgtest)
fi
echo "== sbuild: Tolvane for Debian $suite on $host, in a clean root; log in $out"
config=$work/sbuildrc status=0
# Set, DEB_BUILD_OPTIONS also keeps sbuild from leaving out the tests of a
# cross-build.
(cd "$work" && "${as_builder[@]}" env SBUILD_CONFIG="$config" HOME="$work" \
  DEB_BUILD_OPTIONS="parallel=$(nproc)" TOLVANE_COMPILER_CACHE="${compiler_cache:-}" \
  sbuild "${options[@]}" "$dsc") >"$out/sbuild.log" 2>&1 || status=$?
cp "$work"/*.deb "$work"/*.changes "$work"/*.buildinfo "$out/" 2>/dev/null || true
cp -L "$work/tolvane_"*"_$host.build" "$out/build.log" 2>/dev/null || true
if ((status != 0)); then
  tail -n 40 "$out/sbuild.log" >&2
  echo "sbuild failed; its log: $out/build.log (or $out/sbuild.log)" >&2
  exit 1
fi
# Each release's blhc, from its root, knows the flags of that release.
tar -xOf "$build_root" ./usr/bin/blhc >"$work/blhc"
perl "$work/blhc" --debian --arch="$host" --line-numbers "$out/build.log"
echo "== Built, tested and checked: $(cd "$out" && echo *.deb)"
