#!/usr/bin/env bash
# Tries the web archive in the three engines: the road through the window,
# the page as users host it and as they use it (tests/web_*_test.py), side
# by side on one virtual X display, with what they need installed first.
# Usage: tests/web_zip_test.sh ZIP [SCREENSHOT_DIR]
set -euo pipefail
shopt -s inherit_errexit
here=$(dirname "$(realpath "$0")")
if [ "${1:-}" = --on-display ]; then
  shift
  for test in web_zip_test web_page_test web_users_test; do
    /usr/bin/python3 "$here/$test.py" "$@" &
  done
  failed=0
  for job in $(jobs -p); do wait "$job" || failed=1; done
  exit "$failed"
fi
"$here/../tools/install-packages.sh" chromium chromium-driver firefox-esr webkit2gtk-driver \
  python3-selenium python3-websocket python3-pil xvfb xauth xclip
xvfb-run --auto-servernum --server-num=40 --server-args="-screen 0 1600x1200x24" "$0" --on-display "$@"
