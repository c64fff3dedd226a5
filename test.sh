#!/usr/bin/env bash
# Installs what is missing, builds into build/ and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
tools/setup.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure
