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
#   clean_stale_roots       removes the roots of runs that no longer live
#   DEBIAN_MIRROR      where debootstrap and apt fetch from; debootstrap's
#                      own default when unset
#   SOURCE_DATE_EPOCH  passed on to the commands when set
#
# A root is /var/tmp/tolvane-RELEASE.XXXXXX, with the host's /dev, /proc and
# /sys and the bound folders mounted in it. Beside it, ROOT.owner names the
# process that made it (its PID and start time), so that a later run can
# tell a root whose run was killed outright. A root is removed only in this
# order: its processes ended, everything under it unmounted, then the tree
# deleted without crossing into another file system; while anything is
# still mounted in it, nothing is deleted.

readonly debian_roots_glob='/var/tmp/tolvane-[a-z]*.??????'
debian_root_outputs=()

debian_root() {
  local release bind
  case $1 in
    13 | trixie) release=trixie ;;
    12 | bookworm) release=bookworm ;;
    *) echo "A Debian root is of release 13 or 12, not $1" >&2; exit 2 ;;
  esac
  [ "$(id -u)" -eq 0 ] || { echo "Making a Debian root needs root; run it with sudo" >&2; exit 1; }
  tools/install-packages.sh debootstrap git
  clean_stale_roots
  # The owner file comes first, so that no other run ever sees this root
  # without one.
  local owner
  owner=$(mktemp --suffix=.owner "/var/tmp/tolvane-$release.XXXXXX")
  echo "$$ $(process_start_time $$)" >"$owner"
  debian_root_dir=${owner%.owner}
  trap remove_debian_root EXIT
  trap 'exit 129' HUP
  trap 'exit 130' INT
  trap 'exit 143' TERM
  mkdir -m 755 "$debian_root_dir"  # apt drops to its own user to download

  echo "== Debian $release root in $debian_root_dir"
  local log=$debian_root_dir.log mirror=()
  [ -z "${DEBIAN_MIRROR:-}" ] || mirror=("$DEBIAN_MIRROR")
  if ! in_background debootstrap --variant=minbase "$release" "$debian_root_dir" "${mirror[@]}" >"$log" 2>&1; then
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
  mount "${@:2}" "$debian_root_dir$1"
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
  local children
  mapfile -t children < <(jobs -p)
  ((${#children[@]} == 0)) || kill -TERM "${children[@]}" 2>/dev/null || true
  remove_root "$debian_root_dir" || status=1
  give_outputs_to_user
  exit "$status"
}

# The host's view of a PID's start, to tell it from a later one of the
# same number.
process_start_time() {
  sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f20
}

# Whether the run named in ROOT.owner still lives. A file being written
# (empty, and new) counts as living.
root_owner_lives() {
  local owner=$1.owner pid start
  [ -f "$owner" ] || return 1
  read -r pid start <"$owner" || [ -z "$(find "$owner" -mmin +1)" ] || return 1
  [ -n "${pid:-}" ] || return 0
  [ "$(process_start_time "$pid")" = "$start" ]
}

clean_stale_roots() {
  local root
  # An owner file alone is what a run killed while it removed its root
  # left; a log alone, one whose debootstrap failed or was killed.
  for root in $debian_roots_glob $debian_roots_glob.owner $debian_roots_glob.log; do
    root=${root%.owner}
    root=${root%.log}
    [ -e "$root" ] || [ -e "$root.owner" ] || [ -e "$root.log" ] || continue
    root_owner_lives "$root" && continue
    echo "== Cleaning $root, left by a run that no longer lives"
    remove_root "$root" || exit 1
    rm -f "$root.log"
  done
}

# PIDs of the processes that run in ROOT, work in a folder of it, or were
# started on it (debootstrap, when a run was killed while making it).
root_processes() {
  local proc path args
  for proc in /proc/[0-9]*; do
    if [ "${proc#/proc/}" = "$$" ] || [ "${proc#/proc/}" = "$BASHPID" ]; then continue; fi
    args=()
    mapfile -d '' args 2>/dev/null <"$proc/cmdline" || true
    for path in "$(readlink "$proc/root" 2>/dev/null)" "$(readlink "$proc/cwd" 2>/dev/null)" "${args[@]}"; do
      if [[ $path == "$1" || $path == "$1"/* ]]; then
        echo "${proc#/proc/}"
        break
      fi
    done
  done
}

# Ends ROOT's processes: asked first, then forced.
end_root_processes() {
  local signal tries pids
  for signal in TERM KILL; do
    for ((tries = 0; tries < 20; tries++)); do
      mapfile -t pids < <(root_processes "$1")
      ((${#pids[@]})) || return 0
      ((tries > 0)) || kill "-$signal" "${pids[@]}" 2>/dev/null || true
      sleep 0.5
    done
  done
  echo "Processes still run in $1: $(root_processes "$1" | tr '\n' ' ')" >&2
  return 1
}

# Mount points at or under ROOT, deepest first, as the kernel lists them.
root_mounts() {
  awk -v root="$1" '{
      path = $5
      while (match(path, /\\[0-7][0-7][0-7]/)) {  # octal escapes, as in \040
        code = substr(path, RSTART + 1, 3)
        path = substr(path, 1, RSTART - 1) sprintf("%c", (substr(code, 1, 1) * 64 + substr(code, 2, 1) * 8 + substr(code, 3, 1))) substr(path, RSTART + 4)
      }
      if (path == root || index(path, root "/") == 1) print path
    }' /proc/self/mountinfo | LC_ALL=C sort -r
}

unmount_root() {
  local mounts mount
  mounts=$(root_mounts "$1")
  [ -n "$mounts" ] || return 0
  # Slaves first, should a run have died before it made them so, so that
  # unmounting its /dev can never unmount the host's.
  while read -r mount; do
    mount --make-rslave "$mount" 2>/dev/null || true
  done <<<"$mounts"
  while read -r mount; do
    umount "$mount" 2>/dev/null || true
  done <<<"$mounts"
  # Lazily only what is still busy.
  mounts=$(root_mounts "$1")
  while read -r mount; do
    [ -z "$mount" ] || umount -l "$mount" 2>/dev/null || true
  done <<<"$mounts"
  mounts=$(root_mounts "$1")
  [ -z "$mounts" ] || {
    echo "Left $1 in place: still mounted in it: $(tr '\n' ' ' <<<"$mounts")" >&2
    return 1
  }
}

remove_root() {  # remove_root ROOT
  if ! end_root_processes "$1" || ! unmount_root "$1"; then
    echo "Left $1 in place; once nothing runs or is mounted in it, tools/clean-roots.sh removes it" >&2
    return 1
  fi
  rm -rf --one-file-system "$1" || { echo "Could not remove all of $1" >&2; return 1; }
  rm -f "$1.owner"
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
  in_background chroot "$debian_root_dir" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM="${TERM:-dumb}" \
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
