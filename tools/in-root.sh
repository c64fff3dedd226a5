#!/usr/bin/env bash
# Runs a command in a clean Debian 12 or 13 root, as a new user with nothing
# installed meets that release: HEAD cloned at /src/tolvane, in a root of
# tools/root-tarball.sh unpacked into memory (tmpfs) in mount and PID
# namespaces of its own. However it ends, Ctrl+C, SIGTERM or SIGKILL, the
# kernel ends every process in them and drops the root: the host keeps
# only what the command wrote into the folders it was given. Needs root.
# Usage: sudo tools/in-root.sh [--release 13|12] [--packages LIST]...
#                              [--bind DIR:PLACE]... [command ...]
#   --release   13 (trixie, the default) or 12 (bookworm)
#   --packages  a file listing Debian packages to have in the root
#   --bind      the host folder DIR (made if missing) appears at PLACE
#   command     run in the clone; ./test.sh when none is given
#   TOLVANE_CACHE, DEBIAN_MIRROR  as for tools/root-tarball.sh
set -euo pipefail
shopt -s inherit_errexit
[ "$(id -u)" -eq 0 ] || { echo "$0 works in a Debian root, which needs root: run it with sudo" >&2; exit 1; }
suite=trixie lists=() binds=()
while (($#)); do
  case $1 in
    --release)
      case ${2:-} in 13) suite=trixie ;; 12) suite=bookworm ;; *) echo "--release is 13 or 12" >&2; exit 2 ;; esac
      shift 2 ;;
    --packages) lists+=("$(realpath "$2")"); shift 2 ;;
    --bind)
      [[ ${2:-} == ?*:/?* ]] || { echo "--bind takes DIR:/PLACE, not ${2:-nothing}" >&2; exit 2; }
      mkdir -p "${2%%:*}"
      binds+=("$(realpath "${2%%:*}"):${2#*:}")
      shift 2 ;;
    *) break ;;
  esac
done
(($#)) || set -- ./test.sh
# The folders given are taken from where the command was started.
cd "$(dirname "$0")/.."
tools/install-packages.sh mmdebstrap git
# A stop ends the making of the root, which cleans up, and the namespaces.
making='' namespaces=''
stop() {
  [ -z "$making" ] || kill -TERM "$making" 2>/dev/null || true
  [ -z "$namespaces" ] || kill -KILL "$namespaces" 2>/dev/null || true
  exit "$1"
}
# Whoever ran this with sudo owns what it wrote into the checkout.
give_to_user() {
  [ -n "${SUDO_UID:-}" ] && [ "$SUDO_UID" != 0 ] || return 0
  local bind path
  for bind in "${binds[@]}"; do
    path=${bind%%:*}
    [[ $path == "$PWD"/* ]] || continue
    chown -R "$SUDO_UID:${SUDO_GID:-$SUDO_UID}" "$path"
    while path=$(dirname "$path") && [[ $path == "$PWD"/* ]]; do
      chown "$SUDO_UID:${SUDO_GID:-$SUDO_UID}" "$path"
    done
  done
}
trap give_to_user EXIT
trap 'stop 129' HUP; trap 'stop 130' INT; trap 'stop 143' TERM
# Started in the background, the command would read /dev/null.
exec {stdin}<&0
# Apart, so that a stop reaches the trap at once; killed with this script.
exec {made}< <(exec setpriv --pdeathsig TERM -- tools/root-tarball.sh "$suite" work "${lists[@]}")
making=$!
read -r tarball <&"$made" || { wait "$making" || exit; exit 1; }
making=''
# Mounted where only its namespace sees it, on a folder empty on the host.
place=$(dirname "$(dirname "$tarball")")/mnt
mkdir -p "$place"
passed=(TERM="${TERM:-dumb}")
[ -z "${SOURCE_DATE_EPOCH:-}" ] || passed+=("SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH")
# shellcheck disable=SC2016 # the script is the namespace's own
inside='
  root=$1 tarball=$2 binds=$3 passed=$4
  shift 4
  mount -t tmpfs -o mode=755 tolvane-root "$root"
  tar -xf "$tarball" -C "$root"
  mount -t proc proc "$root/proc"
  mount --rbind --make-rslave /dev "$root/dev"
  mount -t tmpfs tolvane-shm "$root/dev/shm"
  mount --rbind --make-rslave /sys "$root/sys"
  cp -L /etc/resolv.conf "$root/etc/resolv.conf"
  printf "%s\n" "$binds" | while IFS= read -r bind; do
    [ -n "$bind" ] || continue
    mkdir -p "$root${bind#*:}"
    mount --bind "${bind%%:*}" "$root${bind#*:}"
  done
  git clone --quiet "$PWD" "$root/src/tolvane"
  # The root becomes the namespace'"'"'s own "/", not a chroot, in which the
  # kernel would refuse the user namespaces that reprotest and sbuild make.
  cd "$root"
  mkdir .host
  pivot_root . .host
  umount -l /.host
  rmdir /.host
  # shellcheck disable=SC2086 # one VAR=VALUE a word
  exec /usr/bin/env -i HOME=/root LANG=C.UTF-8 $passed \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    sh -c "cd /src/tolvane && exec \"\$@\"" command "$@"'
# Killed with this script, the namespaces' first process takes all in them.
setpriv --pdeathsig KILL -- unshare --mount --propagation private --pid --fork --kill-child \
  --mount-proc -- sh -ec "$inside" in-root "$place" "$tarball" "$(printf '%s\n' "${binds[@]}")" \
  "${passed[*]}" "$@" <&"$stdin" &
namespaces=$!
wait "$namespaces"
