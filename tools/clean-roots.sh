#!/usr/bin/env bash
# Removes the Debian roots that runs of the tools here left behind when they
# were killed outright: plain folders by then, as their processes and
# mounts ended with the runs' namespaces; deleted without crossing into
# another file system. Roots whose runs still live (their locks held) and
# folders that only look like roots are left alone. Needs root.
# Usage: sudo tools/clean-roots.sh
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
source tools/debian-root.sh
clean_stale_roots
echo "== No root of a run that no longer lives is left in /var/tmp"
