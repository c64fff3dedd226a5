#!/usr/bin/env bash
# Installs what is missing, builds into build/ and starts Tolvane.
set -euo pipefail
cd "$(dirname "$0")"
tools/setup.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
  echo "Run Tolvane from a desktop session, or give it a virtual display:" >&2
  sudo=$([ "$(id -u)" -eq 0 ] || echo "sudo ")
  echo "  ${sudo}apt-get install xvfb && xvfb-run -a ./run.sh" >&2
  exit 1
fi
exec build/tolvane
