#!/usr/bin/env bash
# Checks that an archive carries the licence of everything in it that holds
# code: each such file has a line in the table whose licence files are in
# the archive, not empty; and Qt's notices are exactly those of the code
# the shipped files hold (tests/notices_in_code.py).
# Usage: tests/archive_licences_test.sh ARCHIVE TABLE
#   TABLE  lines of "FILE LICENCE..." (paths inside the archive; a folder
#          ends in /); # starts a comment
set -euo pipefail
shopt -s inherit_errexit
here=$(dirname "$(realpath "$0")")
archive=$(realpath "$1") table=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
(cd "$scratch" && cmake -E tar xf "$archive")
failures=()
declare -A listed
while read -r file licences; do
  [[ -z $file || $file == \#* ]] && continue
  listed[$file]=1
  [ -f "$scratch/$file" ] || failures+=("$file is listed but not in the archive")
  [ -n "$licences" ] || failures+=("$file: no licence named")
  for licence in $licences; do
    if [[ $licence == */ ]]; then
      [ -n "$(find "$scratch/$licence" -type f -size +0 2>/dev/null)" ] ||
        failures+=("$file: no licence files in $licence")
    else
      [ -s "$scratch/$licence" ] || failures+=("$file: $licence is missing or empty")
    fi
  done
done <"$table"
while read -r file; do
  [ -n "${listed[$file]:-}" ] || failures+=("$file holds code but has no licence listed")
done < <(cd "$scratch" && find . -type f \( -iname '*.exe' -o -iname '*.dll' -o -name '*.wasm' \
  -o -name '*.js' -o -perm -u+x \) -printf '%P\n' | LC_ALL=C sort)
if ((${#failures[@]})); then
  printf '%s\n' "${failures[@]}" >&2
  exit 1
fi
python3 "$here/notices_in_code.py" "$scratch" "$table" "$here/../packaging/notice-markers.txt"
echo "Every file that holds code in $(basename "$archive") has its licences beside it"
