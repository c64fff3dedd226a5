# shellcheck shell=bash
# Sourced, not run, by the commands that work in a Debian root
# (tools/in-debian-root.sh, tools/clean-roots.sh, and through
# tools/platform-zip.sh the archive commands, tools/test-windows.sh and
# tools/mutants.sh --windows), from the repository's top folder, as root:
# a fresh, minimal Debian root with a clean clone of this repository's HEAD
# at /src/tolvane, removed again when the command ends, however it ends.
#   debian_root RELEASE [DIR:/PLACE ...]  makes it: RELEASE 13 (trixie) or
#                           12 (bookworm); each host DIR (created if missing)
#                           appears at PLACE inside, to keep a cache or output;
#                           a DIR in the checkout is handed at the end to the
#                           user who ran the command with sudo
#   in_root command ...     runs a command in the clone
#   in_root_logged LOG command ...  the same, its output in the host file LOG,
#                           whose end is shown if it fails
#   clean_stale_roots       removes the roots of commands that no longer live
#   DEBIAN_MIRROR      where mmdebstrap and apt fetch from; mmdebstrap's
#                      own default when unset
#   SOURCE_DATE_EPOCH  passed on to the commands when set
#
# A root is /var/tmp/tolvane-RELEASE.XXXXXX. Everything mounted in it and
# every process that works in it lives in a mount and a PID namespace of
# the command's own (util-linux's unshare, which every Debian has): the
# host never sees those mounts, and however the command ends, SIGKILL and
# the out-of-memory killer included, the kernel ends every process in
# them and drops every mount with them. Beside the root, ROOT.lock is held
# (flock) as long as its command lives; a root whose lock is free is a
# plain folder, which the next command removes.

# Every command that sources this needs root; it refuses here, before it
# has deleted or written anything.
[ "$(id -u)" -eq 0 ] || {
  echo "$(basename "$0") works in Debian roots, which needs root: run it with sudo" >&2
  exit 1
}

readonly debian_roots_glob='/var/tmp/tolvane-[a-z]*.??????'
debian_root_outputs=()

debian_root() {
  local release bind
  case $1 in
    13 | trixie) release=trixie ;;
    12 | bookworm) release=bookworm ;;
    *) echo "A Debian root is of release 13 or 12, not $1" >&2; exit 2 ;;
  esac
  tools/install-packages.sh mmdebstrap git
  clean_stale_roots
  # The lock comes first, so that no other command ever takes this root
  # for a stale one.
  local lock
  lock=$(mktemp --suffix=.lock "/var/tmp/tolvane-$release.XXXXXX")
  exec {debian_root_lock}>>"$lock"
  flock -n "$debian_root_lock"
  debian_root_dir=${lock%.lock}
  trap remove_debian_root EXIT
  trap 'exit 129' HUP
  trap 'exit 130' INT
  trap 'exit 143' TERM
  mkdir -m 755 "$debian_root_dir"  # apt drops to its own user to download
  start_namespaces

  echo "== Debian $release root in $debian_root_dir"
  local log=$debian_root_dir.log mirror=()
  [ -z "${DEBIAN_MIRROR:-}" ] || mirror=("$DEBIAN_MIRROR")
  # mmdebstrap, not debootstrap: a third quicker here (16 s against 23 s
  # for trixie). What is meant only for the inside of a root looks for the
  # file the first hook writes; $1 is the root, as mmdebstrap hands it on.
  # shellcheck disable=SC2016
  local hooks=(--customize-hook='echo "A Debian root made by tools/debian-root.sh" >"$1/etc/tolvane-root"'
    --customize-hook='cp /etc/resolv.conf "$1/etc/resolv.conf"')
  if ! in_namespaces mmdebstrap --variant=minbase --mode=root "${hooks[@]}" \
    "$release" "$debian_root_dir" "${mirror[@]}" >"$log" 2>&1; then
    tail -n 20 "$log" >&2
    echo "mmdebstrap could not make the root (is the Debian archive in reach?);" \
      "its whole log: $log" >&2
    exit 1
  fi
  rm -f "$log"
  mount_in_root /proc -t proc proc
  # Slaves: nothing done under the root's /sys and /dev reaches the host's.
  mount_in_root /sys --rbind --make-rslave /sys
  mount_in_root /dev --rbind --make-rslave /dev
  for bind in "${@:2}"; do
    [[ $bind == ?*:/?* ]] || { echo "A folder to bind is given as DIR:/PLACE, not $bind" >&2; exit 2; }
    mkdir -p "${bind%%:*}"
    [[ $(realpath "${bind%%:*}") != "$PWD"/* ]] || debian_root_outputs+=("$(realpath "${bind%%:*}")")
    mount_in_root "${bind#*:}" --bind "${bind%%:*}"
  done
  git clone --quiet "$PWD" "$debian_root_dir/src/tolvane"
}

mount_in_root() {  # mount_in_root PLACE mount-arguments ...
  mkdir -p "$debian_root_dir$1"
  in_namespaces mount "${@:2}" "$debian_root_dir$1"
}

# The namespaces' first process: the namespaces last as long as it does,
# and it as long as this command, whose death ends it (setpriv's
# parent-death signal, then unshare's own for its child).
start_namespaces() {
  local ready
  exec {ready}< <(exec setpriv --pdeathsig KILL -- unshare --mount --propagation private \
    --pid --fork --kill-child --mount-proc -- sh -c 'echo ready; exec sleep infinity')
  debian_root_keeper=$!
  read -r -u "$ready" _ || { echo "Could not make the root's namespaces (unshare)" >&2; exit 1; }
  exec {ready}<&-
}

# in_namespaces command ...: runs it in the root's namespaces, as a child
# this shell waits for, so that a signal reaches the traps at once.
in_namespaces() {
  in_background nsenter --mount="/proc/$debian_root_keeper/ns/mnt" \
    --pid="/proc/$debian_root_keeper/ns/pid_for_children" -- "$@"
}

# in_background command ...: runs it as a child this shell waits for, so
# that a signal reaches the traps at once, not after a build of an hour.
in_background() {
  "$@" &
  wait "$!"
}

remove_debian_root() {
  local status=$?
  trap '' HUP INT TERM  # a second Ctrl+C must not cut the cleaning short
  # The namespaces end, with every process and mount in them.
  [ -z "${debian_root_keeper:-}" ] || kill -KILL "$debian_root_keeper" 2>/dev/null || true
  wait 2>/dev/null || true
  remove_root "$debian_root_dir" || status=1
  give_outputs_to_user
  exit "$status"
}

clean_stale_roots() {
  local lock root fd
  for lock in $debian_roots_glob.lock; do
    [ -f "$lock" ] || continue
    root=${lock%.lock}
    # A lock this new without its root is a command that is making both.
    [ -d "$root" ] || [ -n "$(find "$lock" -mmin +1)" ] || continue
    exec {fd}<"$lock"
    if flock -n "$fd"; then
      echo "== Cleaning $root, left by a run that no longer lives"
      remove_root "$root" || exit 1
    fi
    exec {fd}<&-
  done
}

# Removes ROOT and its lock. Nothing is mounted in it on the host, so the
# deletion cannot reach beyond it; processes that the kernel is still
# ending may hold it for a moment.
remove_root() {  # remove_root ROOT
  local tries
  for ((tries = 0; tries < 10; tries++)); do
    rm -rf --one-file-system "$1" 2>/dev/null && break
    sleep 0.5
  done
  [ ! -e "$1" ] || { echo "Could not remove all of $1" >&2; return 1; }
  rm -f "$1.lock"
}

# Whoever ran the command with sudo gets what it wrote into the checkout,
# up to the checkout's own folder, so they can delete it without root.
give_outputs_to_user() {
  [ -n "${SUDO_UID:-}" ] && [ "$SUDO_UID" != 0 ] || return 0
  local output path
  for output in "${debian_root_outputs[@]}"; do
    [ -e "$output" ] || continue
    chown -R "$SUDO_UID:${SUDO_GID:-$SUDO_UID}" "$output"
    path=$(dirname "$output")
    while [[ $path == "$PWD"/* ]]; do
      chown "$SUDO_UID:${SUDO_GID:-$SUDO_UID}" "$path"
      path=$(dirname "$path")
    done
  done
}

in_root() {
  local passed=()
  [ -z "${SOURCE_DATE_EPOCH:-}" ] || passed=("SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH")
  in_namespaces chroot "$debian_root_dir" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM="${TERM:-dumb}" \
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
