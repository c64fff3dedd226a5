#!/usr/bin/env bash
# The Debian packages that roots downloaded, kept in one folder for the
# roots after them, so that a root is made from the network only once a
# package version. Roots of runs side by side share it: each root has an
# apt archives folder of its own (apt locks that folder and would not
# wait), filled from here as it is made and read back when it ends, under
# the cache's lock. The cache stays bounded: a package that a newer version
# of it has superseded goes, and then the longest unused until it holds at
# most TOLVANE_DEB_CACHE_MB (default 4096).
# Usage: tools/deb-cache.sh fill CACHE DIR   puts every kept package in DIR
#        tools/deb-cache.sh keep CACHE DIR   keeps DIR's packages, marks
#                                           them used, and prunes
set -euo pipefail
shopt -s inherit_errexit nullglob
command=$1 cache=$2 dir=$3
limit_kb=$((${TOLVANE_DEB_CACHE_MB:-4096} * 1024))
mkdir -p "$cache"
exec {lock}>>"$cache/lock"

fill() {
  flock -s "$lock"
  local deb
  for deb in "$cache"/*.deb; do
    # A link costs nothing; apt replaces a file, never writes into one.
    ln -f "$deb" "$dir/" 2>/dev/null || cp "$deb" "$dir/"
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
    fi
    touch "$kept"
  done
  rm -f "$cache"/*.partial
  remove_superseded
  keep_within_limit
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
