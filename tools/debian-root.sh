# shellcheck shell=bash
# Sourced, not run, by the commands that work in a Debian root
# (tools/in-debian-root.sh, tools/clean-roots.sh, and through
# tools/platform-zip.sh the archive commands, tools/test-windows.sh and
# tools/mutants.sh --windows), from the repository's top folder, as root:
# a fresh, minimal Debian root with this repository's HEAD at /src/tolvane,
# removed again when the command ends (or, if it is killed outright, by
# the next such command).
#   debian_root RELEASE [DIR:/PLACE ...]  makes it: RELEASE 13 (trixie) or
#                           12 (bookworm); each host DIR (created if missing)
#                           appears at PLACE inside, to keep a cache or output;
#                           a DIR in the checkout is handed at the end to the
#                           user who ran the command with sudo
#     debian_root_packages  (array) packages installed as the root is made
#     debian_root_source    clone (default): a clean clone of HEAD; archive:
#                           HEAD as its published source archive, no git
#     debian_root_logs      where mmdebstrap's log is kept when it fails
#                           (default build-roots/)
#   in_root command ...     runs a command in the tree, with the caller's
#                           standard input
#   in_root_logged LOG command ...  the same, its output in the host file LOG,
#                           whose end is shown if it fails; ends with the
#                           command's status
#   clean_stale_roots       removes the roots of commands that no longer live
#   TOLVANE_CACHE      the cache folder (default /var/cache/tolvane): the
#                      Debian packages roots downloaded, each release's
#                      apart (tools/deb-cache.sh, at most 4 GB), and the
#                      compiler cache (ccache, at most its own 5 GB), which
#                      every command in a root uses through CMake
#   DEBIAN_MIRROR      where mmdebstrap and apt fetch from; mmdebstrap's
#                      own default when unset
#   SOURCE_DATE_EPOCH  passed on to the commands when set
# Folders given as relative paths (DIR, TOLVANE_CACHE) are taken from where
# the command was started.
#
# A root's folder is /var/tmp/tolvane-RELEASE.XXXXXX, holding the root
# itself (root/), mmdebstrap's files (tmp/) and its lock (lock), held
# (flock) as long as its command lives; a folder whose lock is free is
# left by a run that was killed, and the next command removes it.
# Everything mounted in the root and every process that works in it lives
# in a mount and a PID namespace of the command's own (util-linux's
# unshare, which every Debian has), with a /dev/shm and a /tmp of its own:
# the host never sees those mounts, and however the command ends, SIGKILL
# and the out-of-memory killer included, the kernel ends every process in
# them and drops every mount with them, memory-backed files included.

# Every command that sources this needs root; it refuses here, before it
# has deleted or written anything.
[ "$(id -u)" -eq 0 ] || {
  echo "$(basename "$0") works in Debian roots, which needs root: run it with sudo" >&2
  exit 1
}

readonly debian_roots_glob='/var/tmp/tolvane-[a-z]*.??????'
debian_root_outputs=()
# Every command sources this right after its one cd, to the repository's
# top: OLDPWD is where it was started.
debian_root_caller=${OLDPWD:-$PWD}
debian_root_cache=$(cd "$debian_root_caller" && realpath -m "${TOLVANE_CACHE:-/var/cache/tolvane}")
# The caller's standard input, for the commands in the root: a command
# started in the background would get /dev/null.
exec {debian_root_stdin}<&0

debian_root() {
  local release bind
  case $1 in
    13 | trixie) release=trixie ;;
    12 | bookworm) release=bookworm ;;
    *) echo "A Debian root is of release 13 or 12, not $1" >&2; exit 2 ;;
  esac
  tools/install-packages.sh mmdebstrap git
  clean_stale_roots
  debian_root_folder=$(mktemp -d "/var/tmp/tolvane-$release.XXXXXX")
  # The lock comes first, and takes its name only once held, so that no
  # other command ever takes this root for a stale one.
  exec {debian_root_lock}>>"$debian_root_folder/lock.new"
  flock -n "$debian_root_lock"
  mv "$debian_root_folder/lock.new" "$debian_root_folder/lock"
  debian_root_dir=$debian_root_folder/root
  debian_root_debs=$debian_root_cache/debs/$release
  trap remove_debian_root EXIT
  trap 'exit 129' HUP
  trap 'exit 130' INT
  trap 'exit 143' TERM
  chmod 755 "$debian_root_folder"  # apt drops to its own user to download
  start_namespaces

  echo "== Debian $release root in $debian_root_dir"
  make_root "$release"
  mount_in_root /proc -t proc proc
  # Slaves: nothing done under the root's /sys and /dev reaches the host's.
  # /dev/shm is the namespaces' own (start_namespaces).
  mount_in_root /sys --rbind --make-rslave /sys
  mount_in_root /dev --rbind --make-rslave /dev
  mount_in_root /tmp -t tmpfs -o mode=1777 tolvane-tmp
  for bind in "${@:2}" "$debian_root_cache/ccache:/var/cache/ccache"; do
    [[ $bind == ?*:/?* ]] || { echo "A folder to bind is given as DIR:/PLACE, not $bind" >&2; exit 2; }
    local dir
    dir=$(cd "$debian_root_caller" && realpath -m "${bind%%:*}")
    mkdir -p "$dir"
    [[ $dir != "$PWD"/* ]] || debian_root_outputs+=("$dir")
    mount_in_root "${bind#*:}" --bind "$dir"
  done
  put_tree_in_root
}

# mmdebstrap, not debootstrap: a third quicker here (16 s against 23 s
# for trixie). It installs the packages asked for in the same apt run,
# from the packages earlier roots downloaded where it can, and copies the
# host's resolver in itself. A root lives for one command: dpkg need not
# sync each file it unpacks, there or in later installs.
make_root() {  # make_root RELEASE
  local log=$debian_root_folder/mmdebstrap.log mirror=() archives=/var/cache/apt/archives
  [ -z "${DEBIAN_MIRROR:-}" ] || mirror=("$DEBIAN_MIRROR")
  local packages=(ca-certificates ccache "${debian_root_packages[@]}")
  # What is meant only for the inside of a root looks for the file the
  # last hook writes; $1 is the root, as mmdebstrap hands it on.
  mkdir "$debian_root_folder/tmp"
  # shellcheck disable=SC2016
  if ! TMPDIR=$debian_root_folder/tmp in_namespaces mmdebstrap --variant=minbase --mode=root --include="${packages[*]}" \
    --skip=essential/unlink --skip=cleanup/apt/cache --dpkgopt=force-unsafe-io \
    --setup-hook="mkdir -p \"\$1$archives\" && '$PWD/tools/deb-cache.sh' fill '$debian_root_debs' \"\$1$archives\"" \
    --customize-hook='echo "A Debian root made by tools/debian-root.sh" >"$1/etc/tolvane-root"' \
    "$1" "$debian_root_dir" "${mirror[@]}" >"$log" 2>&1; then
    local kept=${debian_root_logs:-$PWD/build-roots}
    mkdir -p "$kept"
    cp "$log" "$kept/mmdebstrap.log"
    [[ $kept != "$PWD"/* ]] || debian_root_outputs+=("$kept")
    tail -n 20 "$log" >&2
    echo "mmdebstrap could not make the root (is the Debian archive in reach?);" \
      "its whole log: $kept/mmdebstrap.log" >&2
    exit 1
  fi
}

# HEAD as a clean clone, or as the source archive a distribution's builder
# meets, outside any git repository; in the namespaces, which end it.
put_tree_in_root() {
  mkdir -p "$debian_root_dir/src"
  if [ "${debian_root_source:-clone}" = archive ]; then
    # shellcheck disable=SC2016 # the script is sh -c's own
    in_namespaces sh -c 'git -C "$1" archive --format=tar --prefix=tolvane/ HEAD | tar -x -C "$2"' \
      put-tree "$PWD" "$debian_root_dir/src"
  else
    in_namespaces git clone --quiet "$PWD" "$debian_root_dir/src/tolvane"
  fi
}

mount_in_root() {  # mount_in_root PLACE mount-arguments ...
  mkdir -p "$debian_root_dir$1"
  in_namespaces mount "${@:2}" "$debian_root_dir$1"
}

# The namespaces' first process: the namespaces last as long as it does,
# and it as long as this command, whose death ends it (setpriv's
# parent-death signal, then unshare's own for its child). Their /dev/shm
# is memory of their own, freed with them, so that nothing made there can
# outlive the command in the host's memory; so is the root's /tmp.
start_namespaces() {
  local ready
  exec {ready}< <(exec setpriv --pdeathsig KILL -- unshare --mount --propagation private \
    --pid --fork --kill-child --mount-proc -- sh -c \
    'mount -t tmpfs -o mode=1777 tolvane-shm /dev/shm && echo ready; exec sleep infinity')
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
# It reads what the caller gave this command.
in_background() {
  "$@" <&"$debian_root_stdin" &
  wait "$!"
}

remove_debian_root() {
  local status=$?
  trap '' HUP INT TERM  # a second Ctrl+C must not cut the cleaning short
  # The namespaces end, with every process and mount in them.
  [ -z "${debian_root_keeper:-}" ] || kill -KILL "$debian_root_keeper" 2>/dev/null || true
  wait 2>/dev/null || true
  # What the root downloaded serves the next one.
  [ ! -d "$debian_root_dir/var/cache/apt/archives" ] ||
    tools/deb-cache.sh keep "$debian_root_debs" "$debian_root_dir/var/cache/apt/archives" \
      "$debian_root_dir/var/lib/dpkg" ||
    echo "The root's packages could not be kept for the next root" >&2
  remove_root "$debian_root_folder" || status=1
  give_outputs_to_user
  exit "$status"
}

clean_stale_roots() {
  local folder lock fd
  for folder in $debian_roots_glob; do
    [ -d "$folder" ] || continue
    lock=$folder/lock
    # A folder of the tools before the lock moved in: its lock is beside.
    [ -e "$lock" ] || [ ! -e "$folder.lock" ] || lock=$folder.lock
    if [ ! -e "$lock" ]; then
      # A minute old with no more than its unnamed lock: a command killed
      # as it began. Anything else without a lock is no root's.
      if [ -z "$(find "$folder" -maxdepth 0 -mmin +1)" ] ||
        [ -n "$(find "$folder" -mindepth 1 ! -name lock.new)" ]; then
        continue
      fi
    else
      exec {fd}<"$lock"
      flock -n "$fd" || { exec {fd}<&-; continue; }
      exec {fd}<&-
    fi
    echo "== Cleaning $folder, left by a run that no longer lives"
    remove_root "$folder" || exit 1
  done
}

# Removes a root's FOLDER. Nothing is mounted in it on the host, so the
# deletion cannot reach beyond it; processes that the kernel is still
# ending may hold it for a moment.
remove_root() {  # remove_root FOLDER
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
  # Every build in a root compiles through the shared compiler cache, but
  # for the second build that proves an archive the same, which turns it
  # off (tools/rebuild-elsewhere.sh).
  in_namespaces chroot "$debian_root_dir" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM="${TERM:-dumb}" \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "${passed[@]}" \
    CCACHE_DIR=/var/cache/ccache CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache \
    sh -c 'cd /src/tolvane && exec "$@"' command "$@"
}

in_root_logged() {
  mkdir -p "$(dirname "$1")"
  local status=0
  in_root "${@:2}" >"$1" 2>&1 || status=$?
  ((status == 0)) || {
    tail -n 40 "$1" >&2
    echo "Failed: ${*:2}; its whole log: $1" >&2
    exit "$status"
  }
}
