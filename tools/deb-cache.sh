#!/usr/bin/env bash
# The Debian packages that roots downloaded, kept in one folder for the
# roots after them, so that a root is made from the network only once a
# package version. Roots of runs side by side share it: each root has an
# apt archives folder of its own (apt locks that folder and would not
# wait), filled from here as it is made and read back when it ends, under
# the cache's lock. The cache stays bounded: a package that a newer version
# of it has superseded goes, and then the longest unused until it holds at
# most TOLVANE_DEB_CACHE_MB (default 4096).
# Usage: tools/deb-cache.sh fill CACHE DIR   links every kept package into
#          DIR (nothing where CACHE is on another file system: the root
#          then downloads rather than copy gigabytes)
#        tools/deb-cache.sh keep CACHE DIR [ADMINDIR]  keeps DIR's packages,
#          marks used those the root's dpkg (ADMINDIR) has installed, or
#          all of them without one, and prunes
set -euo pipefail
shopt -s inherit_errexit nullglob
command=$1 cache=$2 dir=$3 admindir=${4:-}
limit_kb=$((${TOLVANE_DEB_CACHE_MB:-4096} * 1024))
mkdir -p "$cache"
exec {lock}>>"$cache/lock"

fill() {
  flock -s "$lock"
  local deb
  for deb in "$cache"/*.deb; do
    # A link costs nothing; apt replaces a file, never writes into one.
    ln -f "$deb" "$dir/" 2>/dev/null || return 0
  done
}

keep() {
  flock "$lock"
  local deb kept
  for deb in "$dir"/*.deb; do
    kept=$cache/$(basename "$deb")
    if [ ! -e "$kept" ]; then
      # Whole or not at all, whatever ends this run.
      cp "$deb" "$kept.partial"
      mv "$kept.partial" "$kept"
      touch "$kept"
    elif used "$deb"; then
      touch "$kept"
    fi
  done
  rm -f "$cache"/*.partial
  remove_superseded
  keep_within_limit
}

# Whether the root installed this package: what it was handed and did not
# need is no use of it.
used() {  # used FILE
  [ -n "$admindir" ] || return 0
  [ -n "${installed+set}" ] ||
    installed=$(dpkg-query --admindir="$admindir" -W -f='${db:Status-Abbrev} ${Package}_${Version}_${Architecture}\n' |
      sed -n 's/^ii  *//p' | sed 's/:/%3a/')
  grep -qxF "$(basename "$1" .deb)" <<<"$installed"
}

# name_version_arch.deb, the version with its epoch's colon as %3a.
remove_superseded() {
  local deb name newest
  declare -A newest_of=()
  for deb in "$cache"/*.deb; do
    name=$(basename "$deb" .deb)
    name=${name%%_*}_${name##*_}
    newest=${newest_of[$name]:-}
    if [ -z "$newest" ]; then
      newest_of[$name]=$deb
    elif dpkg --compare-versions "$(version_of "$deb")" gt "$(version_of "$newest")"; then
      rm -f "$newest"
      newest_of[$name]=$deb
    else
      rm -f "$deb"
    fi
  done
}

version_of() {  # version_of FILE
  local version
  version=$(basename "$1" .deb)
  version=${version#*_}
  version=${version%_*}
  echo "${version//%3a/:}"
}

keep_within_limit() {
  local size path
  size=$(du -sk --apparent-size "$cache" | cut -f1)
  while ((size > limit_kb)); do
    path=$(find "$cache" -maxdepth 1 -name '*.deb' -printf '%T@ %p\n' | sort -n | head -n 1 | cut -d' ' -f2-)
    [ -n "$path" ] || break
    size=$((size - $(du -k --apparent-size "$path" | cut -f1)))
    rm -f "$path"
  done
}

case $command in
  fill | keep) "$command" ;;
  *) echo "Usage: $0 fill|keep CACHE DIR" >&2; exit 2 ;;
esac
