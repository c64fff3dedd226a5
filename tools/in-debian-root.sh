#!/usr/bin/env bash
# Runs a command in a clean clone of this repository's HEAD inside a fresh,
# minimal Debian root, so that both releases Tolvane supports can be tried
# on one machine, as a new user with nothing installed would meet them.
# Needs root. The root is made anew each time and removed afterwards, even
# when the command is stopped (tools/debian-root.sh). The command reads
# what this command is given.
# Usage: tools/in-debian-root.sh [--release 13|12] [--source-archive]
#                                [--bind DIR:PLACE]... [command ...]
#   --release   13 (trixie, the default) or 12 (bookworm)
#   --source-archive  HEAD as its published source archive (git archive),
#               as a distribution's builder meets it: no git repository,
#               the release's date given as SOURCE_DATE_EPOCH
#   --bind      makes the host folder DIR (created if missing) appear at
#               PLACE inside the root, to keep a cache or an output; a DIR
#               in the checkout is the sudo user's at the end
#   command     run in the clone; ./test.sh when none is given
#   TOLVANE_CACHE, DEBIAN_MIRROR, SOURCE_DATE_EPOCH  as for tools/debian-root.sh
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."

release=13
binds=()
while (($#)); do
  case $1 in
    --release) release=${2:-}; shift $(($# > 1 ? 2 : 1)) ;;
    --bind) binds+=("${2:-}"); shift $(($# > 1 ? 2 : 1)) ;;
    --source-archive)
      debian_root_source=archive
      SOURCE_DATE_EPOCH=$(tools/release-date.sh)
      export SOURCE_DATE_EPOCH
      shift ;;
    *) break ;;
  esac
done
(($#)) || set -- ./test.sh
source tools/debian-root.sh
debian_root "$release" "${binds[@]}"
echo "== $* in a clean $([ "${debian_root_source:-}" = archive ] && echo "source archive" || echo clone)"
in_root "$@"
