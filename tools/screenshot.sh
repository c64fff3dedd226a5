#!/usr/bin/env bash
# Starts Tolvane on a virtual display, draws a small picture from the
# keyboard (Space ticks, Tab moves on), presses Create Code and saves the
# window to docs/screenshot.png (or the path given).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" != "--on-display" ]; then
  tools/setup.sh xvfb xauth imagemagick xdotool
  exec xvfb-run -a -s "-screen 0 640x480x24" "$0" --on-display "${1:-docs/screenshot.png}"
fi
out=$2
# Cells to tick, in ascending order: a small ship in the bottom rows.
picture=(103 104 105 106 107 108 122 123 126 127 128 129 142 143 144 145
         146 147 153 156 157 160)

build/tolvane &
app=$!
trap 'kill $app 2>/dev/null || true' EXIT

window=""
for _ in $(seq 50); do
  window=$(xdotool search --name '^Tolvane$' 2>/dev/null | head -n 1) || true
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "Tolvane did not open a window" >&2; exit 1; }
xdotool windowfocus --sync "$window"

cell=1
for target in "${picture[@]}"; do
  while [ "$cell" -lt "$target" ]; do xdotool key Tab; cell=$((cell + 1)); done
  xdotool key space
done
while [ "$cell" -le 160 ]; do xdotool key Tab; cell=$((cell + 1)); done
xdotool key space  # the focus has reached Create Code
sleep 0.5

mkdir -p "$(dirname "$out")"
import -window "$window" "$out"
echo "saved $out"
