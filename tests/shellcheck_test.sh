#!/usr/bin/env bash
# Every shell script of the repository, as Debian's shellcheck reads them at
# its default level, following what they source: those git tracks in a
# checkout, every one in an unpacked source archive.
# Usage: tests/shellcheck_test.sh SOURCE_DIR
set -euo pipefail
shopt -s inherit_errexit
cd "$1"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t scripts < <(git ls-files '*.sh' .ci/run)
else
  mapfile -t scripts < <(find . -path './build*' -prune -o \( -name '*.sh' -o -path ./.ci/run \) \
    -type f -print | LC_ALL=C sort)
fi
((${#scripts[@]})) || { echo "No shell script found in $1" >&2; exit 1; }
shellcheck -x "${scripts[@]}"
