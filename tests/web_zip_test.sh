#!/usr/bin/env bash
# Tries the web archive in Debian's headless Chromium (tests/web_zip_test.py),
# with what it needs installed first.
# Usage: tests/web_zip_test.sh ZIP [SCREENSHOT_DIR]
set -euo pipefail
shopt -s inherit_errexit
here=$(dirname "$(realpath "$0")")
"$here/../tools/install-packages.sh" chromium chromium-driver python3-selenium python3-pil
exec /usr/bin/python3 "$here/web_zip_test.py" "$@"
