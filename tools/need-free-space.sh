#!/usr/bin/env bash
# Stops with a plain message unless each folder (made if missing) has the
# space a step is about to take.
# Usage: tools/need-free-space.sh GB DIR ...
set -euo pipefail
shopt -s inherit_errexit
need=$1
for dir in "${@:2}"; do
  mkdir -p "$dir"
  free=$(df --output=avail -BG "$dir" | tail -n 1 | tr -dc 0-9)
  ((free >= need)) || { echo "Only $free GB free under $dir; this needs $need GB" >&2; exit 1; }
done
