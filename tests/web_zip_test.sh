#!/usr/bin/env bash
# Tries the web archive in Debian's headless Chromium: the window
# (tests/web_zip_test.py), then the page around it (tests/web_page_test.py),
# with what they need installed first.
# Usage: tests/web_zip_test.sh ZIP [SCREENSHOT_DIR]
set -euo pipefail
shopt -s inherit_errexit
here=$(dirname "$(realpath "$0")")
"$here/../tools/install-packages.sh" chromium chromium-driver python3-selenium python3-pil
/usr/bin/python3 "$here/web_zip_test.py" "$@"
/usr/bin/python3 "$here/web_page_test.py" "$@"
