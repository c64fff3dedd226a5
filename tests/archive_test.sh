#!/usr/bin/env bash
# Builds the ZIP archive, unpacks it as a user would, and checks that it
# opens with readme.txt and holds a program that starts and shows a window
# titled "Tolvane".
# Usage: archive_test.sh CPACK BUILD_DIR ARCHIVE_NAME
set -euo pipefail
cpack=$1 build=$2 archive=$3
unpacked=$(mktemp -d)
trap 'kill "${app:-}" 2>/dev/null || true; rm -rf "$unpacked"' EXIT

(cd "$build" && "$cpack" -G ZIP >/dev/null)
(cd "$unpacked" && cmake -E tar xf "$build/$archive")
[ -s "$unpacked/readme.txt" ] || { echo "no readme.txt at the top of $archive"; exit 1; }
[ -x "$unpacked/bin/tolvane" ] || { echo "no bin/tolvane in $archive"; exit 1; }
if awk 'length > 79 {exit 1}' "$unpacked/readme.txt"; then :; else
  echo "readme.txt has lines over 79 columns"; exit 1
fi

# Offscreen: the program starts and keeps running until it is ended.
QT_QPA_PLATFORM=offscreen "$unpacked/bin/tolvane" >/dev/null 2>&1 &
app=$!
sleep 1
kill -0 "$app" || { echo "bin/tolvane did not stay up"; exit 1; }
kill "$app"

# On an X display, its one window carries the title.
QT_QPA_PLATFORM=xcb xvfb-run -a sh -c '
  "$1" >/dev/null 2>&1 &
  app=$!
  for _ in $(seq 50); do
    if xwininfo -root -tree | grep -q "\"Tolvane\": ("; then kill $app; exit 0; fi
    sleep 0.1
  done
  kill $app; echo "no window titled Tolvane"; exit 1' title-check "$unpacked/bin/tolvane"
echo "archive $archive: readme.txt, bin/tolvane, window \"Tolvane\""
