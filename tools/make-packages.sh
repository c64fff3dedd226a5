#!/usr/bin/env bash
# Writes the ZIP archive and the Debian package from a built tree, the same
# bytes for the same commit wherever and whenever they are made: the umask,
# time zone and locale are fixed here, and every date in the archives is the
# release's time, SOURCE_DATE_EPOCH where the builder sets it (as Debian's
# tools do), otherwise the date of the commit.
# Usage: tools/make-packages.sh [BUILD_DIR]   (default build)
set -euo pipefail
build_dir=$(realpath "${1:-build}")
cd "$(dirname "$0")/.."

umask 022
export TZ=UTC LC_ALL=C.UTF-8
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null) || {
    echo "No commit to take the release's date from: set SOURCE_DATE_EPOCH" >&2
    exit 1
  }
  export SOURCE_DATE_EPOCH
fi
cd "$build_dir"
cpack -G "ZIP;DEB"
