#!/usr/bin/env bash
# Tries the web archive in the three engines: the road through the window
# in each (tests/web_zip_test.py; WebKit on a virtual X display), then, in
# Chromium, the page around it (tests/web_page_test.py) and what other
# users meet: a screen reader, a Mac's keys, a tablet, a failing command
# (tests/web_users_test.py), with what they need installed first.
# Usage: tests/web_zip_test.sh ZIP [SCREENSHOT_DIR]
set -euo pipefail
shopt -s inherit_errexit
here=$(dirname "$(realpath "$0")")
"$here/../tools/install-packages.sh" chromium chromium-driver firefox-esr webkit2gtk-driver \
  python3-selenium python3-websocket python3-pil xvfb xauth xclip
xvfb-run --auto-servernum --server-args="-screen 0 1600x1200x24" \
  /usr/bin/python3 "$here/web_zip_test.py" "$@"
/usr/bin/python3 "$here/web_page_test.py" "$@"
/usr/bin/python3 "$here/web_users_test.py" "$@"
