#!/usr/bin/env bash
# Builds in Release (build-release/) and runs every benchmark: the table
# generator beside its lower bound, Create Code through the real window, and
# start-up time and peak memory of the window beside an empty Qt window,
# offscreen and under Xvfb. With --web, what the web archive that
# tools/make-web-zip.sh wrote to build-web/ costs to open in each browser
# engine beside its floor, bench/floor.html, from the server, from the
# page's offline copy and over a slow line (bench/web_bench.py). Figures
# and their reading: docs/performance.md.
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")"
probes=build-release/bench

# Median of peak resident memory (KiB) over nine runs of one program.
median_rss() {
  for _ in $(seq 9); do /usr/bin/time -f %M "$1" 2>&1 >/dev/null | tail -n 1; done |
    sort -n | sed -n 5p
}

startup() {
  echo "== start-up on $1 (40 runs each, medians)"
  local csv
  csv=$(mktemp)
  hyperfine -N --warmup 3 --runs 40 --style none --export-csv "$csv" \
    "$probes/startup_probe" "$probes/empty_window_probe" >/dev/null
  awk -F, 'NR == 2 {w = $4} NR == 3 {e = $4}
    END {printf "time: window %.1f ms, empty window %.1f ms, ratio %.2f\n",
         w * 1000, e * 1000, w / e}' "$csv"
  rm -f "$csv"
  local window empty
  window=$(median_rss "$probes/startup_probe")
  empty=$(median_rss "$probes/empty_window_probe")
  echo "peak RSS (median of 9): window $window KiB, empty window $empty KiB," \
       "ratio $(awk "BEGIN {printf \"%.2f\", $window / $empty}")"
}

if [ "${1:-}" = "--web" ]; then
  compgen -G 'build-web/tolvane-*-web.zip' >/dev/null ||
    { echo "No web archive in build-web: run tools/make-web-zip.sh first (as root)" >&2; exit 1; }
  tools/install-packages.sh chromium chromium-driver firefox-esr webkit2gtk-driver \
    python3-selenium python3-websocket python3-brotli xvfb xauth
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  (cd "$scratch" && cmake -E tar xf "$OLDPWD"/build-web/tolvane-*-web.zip)
  xvfb-run --auto-servernum --server-args="-screen 0 1600x1200x24" \
    /usr/bin/python3 bench/web_bench.py bench/floor.html "$scratch"
  exit
fi
if [ "${1:-}" = "--startup-on-display" ]; then
  startup "$2"
  exit 0
fi

BUILD_DIR=build-release CMAKE_ARGS=-DCMAKE_BUILD_TYPE=Release \
  tools/setup.sh hyperfine time xvfb xauth
export QT_QPA_PLATFORM=offscreen
echo "== table generator"
"$probes/tables_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
echo "== through the window (offscreen)"
"$probes/window_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
startup offscreen
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24" "$0" --startup-on-display Xvfb
