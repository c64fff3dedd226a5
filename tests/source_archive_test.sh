#!/usr/bin/env bash
# Checks that the published source archive (git archive of HEAD, as
# tools/platform-zip.sh writes tolvane-source.tar.gz) builds and passes
# every test on its own, with no git repository around it, as a
# distribution's builder meets it: the release's date given as
# SOURCE_DATE_EPOCH, as such builders give it. Logs in build-source-test/.
# Usage: tests/source_archive_test.sh
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
work=$PWD/build-source-test
rm -rf "$work"
mkdir -p "$work"
git archive --format=tar.gz --prefix=tolvane/ -o "$work/tolvane-source.tar.gz" HEAD
tar -xzf "$work/tolvane-source.tar.gz" -C "$work"
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
export SOURCE_DATE_EPOCH
# Outside any git repository, so that nothing can lean on this one.
outside=$(mktemp -d)
trap 'rm -rf "$outside"' EXIT
mv "$work/tolvane" "$outside/"
(cd "$outside/tolvane" && ./test.sh) >"$work/test.log" 2>&1 || {
  tail -n 40 "$work/test.log" >&2
  echo "FAIL: the source archive does not pass its tests; the log: $work/test.log" >&2
  exit 1
}
echo "== The source archive builds and passes every test without git"
