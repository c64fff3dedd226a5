# shellcheck shell=bash
# The rules of the Qt cache, sourced by tools/qt/build-qt.sh (inside a
# Debian root) and by tests/qt_cache_test.sh (on fake entries). Runs in
# other roots share the cache but see neither each other's processes nor
# their PIDs: only files and their locks (flock).
#
# - Hold: a run holds what it chose (a Qt entry, the source it is built
#   from) by a shared lock on PATH.lock, taken before it even looks whether
#   PATH is there, and handed to a process that lives as long as the
#   run's command (cache_keep_held). Taking PATH stamps its last use (its
#   date).
# - Make: a missing PATH is made by one run at a time, which holds
#   PATH.making.lock meanwhile; another run that needs it waits, then uses
#   it. What a run makes is PATH.partial.XXXXXX, its .lock held, until it
#   is whole and published as PATH; removed when the run ends before that.
# - Prune: what the rules let go is removed only while no run holds it.
# - Version: the pinned qt6-base while Debian's archive offers it, else
#   the newest the archive offers.
# A lock is removed with what it guards, so a run that got one checks that
# it is still the file at its path, and else takes the new one.

cache_partials=()

# cache_lock FILE FLOCK_OPTION ...: locks FILE (made if missing) on a new
# descriptor, cache_fd; fails only when flock -n finds it taken.
cache_lock() {
  local fd
  while :; do
    exec {fd}>>"$1"
    flock "${@:2}" "$fd" || { exec {fd}>&-; return 1; }
    [ "/dev/fd/$fd" -ef "$1" ] && break
    exec {fd}>&-
  done
  cache_fd=$fd
}

# cache_hold PATH: this run holds PATH, there or not yet, from now on.
cache_hold() {
  cache_lock "$1.lock" -s
  touch -c "$1"
}

# cache_keep_held [COMMAND ...]: hands what this shell holds to COMMAND
# (sleep infinity when none: in a root, its namespaces end it with the
# command that made the root), which keeps it after this shell ends;
# its PID in cache_holder.
cache_keep_held() {
  (($#)) || set -- sleep infinity
  (cd / && exec "$@" </dev/null >/dev/null 2>&1) &
  # shellcheck disable=SC2034 # for the caller
  cache_holder=$!
}

# cache_make PATH COMMAND ...: PATH, held, is there afterwards: made by
# COMMAND (which publishes it), unless another run is making it, which
# this one waits for and then uses.
cache_make() {
  [ ! -e "$1" ] || return 0
  if ! cache_lock "$1.making.lock" -x -n; then
    echo "== Another run is making $1; waiting for it, to use what it makes"
    cache_lock "$1.making.lock" -x
  fi
  local making=$cache_fd
  if [ -e "$1" ]; then
    echo "== $1 made by the other run; using it"
  else
    "${@:2}"
  fi
  exec {making}>&-
  touch -c "$1"
}

# cache_new_partial PATH: made_partial, held until published or removed by
# cache_drop_partials.
cache_new_partial() {
  made_partial=$(mktemp -d "$1.partial.XXXXXX")
  chmod 755 "$made_partial"
  cache_partials+=("$made_partial" "$made_partial.lock")
  cache_lock "$made_partial.lock" -n
  cache_partial_fd=$cache_fd
}

# cache_publish PARTIAL PATH: gives the partial its final name, never into
# or over another run's.
cache_publish() {
  if [ -e "$2" ]; then
    echo "$2 appeared while this run made it; keeping that one" >&2
  else
    mv -T "$1" "$2"
  fi
  exec {cache_partial_fd}>&-
  rm -rf "$1" "$1.lock"
}

# For the run's EXIT trap: removes what it did not finish.
cache_drop_partials() {
  rm -rf "${cache_partials[@]}"
}

# cache_prune CACHE TARGET KEY SOURCE: removes from CACHE what no run holds
# and no key names any more: TARGET's entries of other keys (and their
# failure logs) and the sources other than SOURCE once no run has taken
# them for a day (another branch may still build against one), the
# entries of targets without tools/qt/TARGET.options, the partials of runs
# that no longer live, and locks without what they guard. Another target's
# old entries go when that target is next built.
cache_prune() {
  local path name
  for path in "$1"/qt/* "$1"/qt-source/*; do
    [ -e "$path" ] || continue
    name=${path##*/}
    if [[ $name == *.lock ]]; then
      [ -e "${path%.lock}" ] || cache_remove_unheld "${path%.lock}"
    elif [[ $name == *.partial.* ]]; then
      cache_remove_unheld "$path"  # its run's lock tells whether it lives
    elif [[ $path == "$1"/qt-source/* ]]; then
      [ "$name" = "$4" ] || ! cache_unused_for_a_day "$path" || cache_remove_unheld "$path"
    elif [ ! -f "${qt_options_dir:-tools/qt}/${name%%-*}.options" ]; then
      cache_remove_unheld "$path"
    elif [[ ${name%%-*} == "$2" && $name != "$3" && $name != "$3"-*.log ]]; then
      ! cache_unused_for_a_day "$path" || cache_remove_unheld "$path"
    fi
  done
}

cache_unused_for_a_day() {  # cache_unused_for_a_day PATH
  [ -n "$(find "$1" -maxdepth 0 -mmin +1440)" ]
}

cache_remove_unheld() {  # cache_remove_unheld PATH: unless a run holds PATH.lock
  cache_lock "$1.lock" -x -n || return 0
  [ ! -e "$1" ] || echo "== Removing $1 from the cache: no key names it any more"
  rm -rf "$1" "$1.lock"
  exec {cache_fd}>&-
}

# qt_choose_version PIN OFFERED ...: the qt6-base version to build, PIN
# (when set) while the archive offers it, else the newest it offers.
qt_choose_version() {
  local pin=$1 newest='' offered
  shift
  (($#)) || { echo "Debian's archive offers no qt6-base source (no deb-src lines?)" >&2; return 1; }
  for offered; do
    [ "$offered" != "$pin" ] || { echo "$pin"; return; }
    [ -z "$newest" ] || dpkg --compare-versions "$offered" gt "$newest" || continue
    newest=$offered
  done
  [ -z "$pin" ] || echo "== qt6-base $pin is pinned, but Debian's archive no longer" \
    "offers it: building $newest, the newest it offers, instead" >&2
  echo "$newest"
}
