#!/usr/bin/env bash
# Every shell script of the repository, as Debian's shellcheck reads them at
# its default level, following what they source.
# Usage: tests/shellcheck_test.sh SOURCE_DIR
set -euo pipefail
shopt -s inherit_errexit
cd "$1"
mapfile -t scripts < <(git ls-files '*.sh' .ci/run)
shellcheck -x "${scripts[@]}"
