# shellcheck shell=bash
# Sourced, not run, by the commands that work in a Debian root
# (tools/in-debian-root.sh, and through tools/platform-zip.sh the archive
# commands, tools/test-windows.sh and tools/mutants.sh --windows), from the
# repository's top folder, as root:
# a fresh, minimal Debian root with a clean clone of this repository's HEAD
# at /src/tolvane, removed again when the command ends.
#   debian_root RELEASE [DIR:/PLACE ...]  makes it: RELEASE 13 (trixie) or
#                           12 (bookworm); each host DIR (created if missing)
#                           appears at PLACE inside, to keep a cache or output
#   in_root command ...     runs a command in the clone
#   in_root_logged LOG command ...  the same, its output in the host file LOG,
#                           whose end is shown if it fails
#   DEBIAN_MIRROR      where debootstrap and apt fetch from; debootstrap's
#                      own default when unset
#   SOURCE_DATE_EPOCH  passed on to the commands when set

debian_root() {
  local release bind
  case $1 in
    13 | trixie) release=trixie ;;
    12 | bookworm) release=bookworm ;;
    *) echo "A Debian root is of release 13 or 12, not $1" >&2; exit 2 ;;
  esac
  [ "$(id -u)" -eq 0 ] || { echo "Making a Debian root needs root; run it with sudo" >&2; exit 1; }
  tools/install-packages.sh debootstrap git
  debian_root_dir=$(mktemp -d "/var/tmp/tolvane-$release.XXXXXX")
  chmod 755 "$debian_root_dir"  # apt drops to its own user to download
  debian_root_mounts=()
  trap remove_debian_root EXIT

  echo "== Debian $release root in $debian_root_dir"
  local log=$debian_root_dir.log mirror=()
  [ -z "${DEBIAN_MIRROR:-}" ] || mirror=("$DEBIAN_MIRROR")
  if ! debootstrap --variant=minbase "$release" "$debian_root_dir" "${mirror[@]}" >"$log" 2>&1; then
    tail -n 20 "$log" >&2
    echo "debootstrap could not make the root (is the Debian archive in reach?);" \
      "its whole log: $log" >&2
    exit 1
  fi
  rm -f "$log"
  # What is meant only for the inside of a root looks for this.
  echo "A Debian root made by Tolvane's tools/debian-root.sh" >"$debian_root_dir/etc/tolvane-root"
  cp /etc/resolv.conf "$debian_root_dir/etc/resolv.conf"
  mount_in_root /proc -t proc proc
  mount_in_root /sys --rbind /sys
  mount --make-rslave "$debian_root_dir/sys"
  mount_in_root /dev --rbind /dev
  mount --make-rslave "$debian_root_dir/dev"
  for bind in "${@:2}"; do
    [[ $bind == ?*:/?* ]] || { echo "A folder to bind is given as DIR:/PLACE, not $bind" >&2; exit 2; }
    mkdir -p "${bind%%:*}"
    mount_in_root "${bind#*:}" --bind "${bind%%:*}"
  done
  git clone --quiet "$PWD" "$debian_root_dir/src/tolvane"
}

mount_in_root() {  # mount_in_root PLACE mount-arguments ...
  mkdir -p "$debian_root_dir$1"
  mount "${@:2}" "$debian_root_dir$1"
  debian_root_mounts+=("$debian_root_dir$1")
}

remove_debian_root() {
  local status=$? i
  for ((i = ${#debian_root_mounts[@]} - 1; i >= 0; i--)); do
    umount -R "${debian_root_mounts[i]}" 2>/dev/null || umount -R -l "${debian_root_mounts[i]}" || true
  done
  # Never remove a tree that still has the host's /dev, /proc or a bound
  # folder in it.
  if grep -q " $debian_root_dir/" /proc/mounts; then
    echo "Left $debian_root_dir in place: something is still mounted in it" >&2
  else
    rm -rf --one-file-system "$debian_root_dir"
  fi
  exit "$status"
}

in_root() {
  local passed=()
  [ -z "${SOURCE_DATE_EPOCH:-}" ] || passed=("SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH")
  chroot "$debian_root_dir" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM="${TERM:-dumb}" \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "${passed[@]}" \
    sh -c 'cd /src/tolvane && exec "$@"' command "$@"
}

in_root_logged() {
  mkdir -p "$(dirname "$1")"
  in_root "${@:2}" >"$1" 2>&1 || {
    tail -n 40 "$1" >&2
    echo "Failed: ${*:2}; its whole log: $1" >&2
    exit 1
  }
}
