#!/usr/bin/env bash
# Renders the window icon from the SVG drawing; run after editing the SVG.
set -euo pipefail
cd "$(dirname "$0")/../packaging"
rsvg-convert -w 64 -h 64 tolvane.svg -o tolvane-64.png
