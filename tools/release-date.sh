#!/usr/bin/env bash
# Prints the release's time, which every date inside an archive is:
# SOURCE_DATE_EPOCH where the builder sets it (as Debian's tools do),
# otherwise the date of the commit checked out.
# Usage: SOURCE_DATE_EPOCH=$(tools/release-date.sh)
set -euo pipefail
shopt -s inherit_errexit
if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
  echo "$SOURCE_DATE_EPOCH"
elif ! git -C "$(dirname "$0")" log -1 --format=%ct 2>/dev/null; then
  echo "No commit to take the release's date from: set SOURCE_DATE_EPOCH" >&2
  exit 1
fi
