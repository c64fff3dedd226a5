#!/usr/bin/env bash
# Runs a command in a clean clone of this repository's HEAD inside a fresh,
# minimal Debian root, so that both releases Tolvane supports can be tried
# on one machine, as a new user with nothing installed would meet them.
# Needs root. The root is made anew each time and removed afterwards.
# Usage: tools/in-debian-root.sh [--release 13|12] [--bind DIR:PLACE]... [command ...]
#   --release   13 (trixie, the default) or 12 (bookworm)
#   --bind      makes the host folder DIR (created if missing) appear at
#               PLACE inside the root, to keep a cache or an output
#   command     run in the clone; ./test.sh when none is given
#   DEBIAN_MIRROR      where debootstrap and apt fetch from; debootstrap's
#                      own default when unset
#   SOURCE_DATE_EPOCH  passed on to the command when set
set -euo pipefail
cd "$(dirname "$0")/.."

release=trixie
binds=()
while (($#)); do
  case $1 in
    --release)
      case "${2:-}" in
        13 | trixie) release=trixie ;;
        12 | bookworm) release=bookworm ;;
        *) echo "--release takes 13 or 12" >&2; exit 2 ;;
      esac
      shift 2 ;;
    --bind)
      [[ "${2:-}" == ?*:/?* ]] || { echo "--bind takes DIR:/PLACE" >&2; exit 2; }
      binds+=("$2")
      shift 2 ;;
    *) break ;;
  esac
done
(($#)) || set -- ./test.sh
[ "$(id -u)" -eq 0 ] || { echo "Making a Debian root needs root; try sudo $0" >&2; exit 1; }
tools/install-packages.sh debootstrap git

root=$(mktemp -d /var/tmp/tolvane-$release.XXXXXX)
chmod 755 "$root"  # apt drops to its own user to download
mounted=()
cleanup() {
  local status=$? target i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    target=${mounted[i]}
    umount -R "$target" 2>/dev/null || umount -R -l "$target" || true
  done
  # Never remove a tree that still has the host's /dev, /proc or a bound
  # folder in it.
  if grep -q " $root/" /proc/mounts; then
    echo "Left $root in place: something is still mounted in it" >&2
  else
    rm -rf --one-file-system "$root"
  fi
  exit "$status"
}
trap cleanup EXIT

echo "== Debian $release root in $root"
log=$root.log
mirror=()
[ -z "${DEBIAN_MIRROR:-}" ] || mirror=("$DEBIAN_MIRROR")
if ! debootstrap --variant=minbase "$release" "$root" "${mirror[@]}" >"$log" 2>&1; then
  tail -n 20 "$log" >&2
  echo "debootstrap could not make the root (is the Debian archive in reach?);" \
    "its whole log: $log" >&2
  exit 1
fi
rm -f "$log"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount_in() {  # mount_in TARGET mount-arguments ...
  mkdir -p "$root$1"
  mount "${@:2}" "$root$1"
  mounted+=("$root$1")
}
mount_in /proc -t proc proc
mount_in /sys --rbind /sys
mount --make-rslave "$root/sys"
mount_in /dev --rbind /dev
mount --make-rslave "$root/dev"
for bind in "${binds[@]}"; do
  mkdir -p "${bind%%:*}"
  mount_in "${bind#*:}" --bind "${bind%%:*}"
done

git clone --quiet "$PWD" "$root/src/tolvane"
echo "== $* in a clean clone on Debian $release"
passed=()
[ -z "${SOURCE_DATE_EPOCH:-}" ] || passed=("SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH")
chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM="${TERM:-dumb}" \
  PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "${passed[@]}" \
  sh -c 'cd /src/tolvane && exec "$@"' command "$@"
