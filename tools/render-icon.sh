#!/usr/bin/env bash
# Renders the window icon, and the Windows program's icon in the sizes
# Windows shows, from the SVG drawing; run after editing the SVG.
set -euo pipefail
cd "$(dirname "$0")/../packaging"
rsvg-convert -w 64 -h 64 tolvane.svg -o tolvane-64.png
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for size in 16 24 32 48 64 256; do
  rsvg-convert -w "$size" -h "$size" tolvane.svg -o "$scratch/$size.png"
done
# The largest size stored as PNG, as Windows reads it since Vista.
icotool -c -o windows/tolvane.ico "$scratch"/{16,24,32,48,64}.png -r "$scratch/256.png"
