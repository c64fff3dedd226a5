#!/usr/bin/python3
"""What opening Tolvane in a browser costs, beside a floor built the same way
in the same run (bench/one_line_window.cpp: Qt Widgets, a window of the
same size with one line of text): the bytes a browser downloads (.wasm and
scripts; raw, gzip -9 and brotli -q 11) and the time from navigation to the
first whole window, the median of RUNS loads in one headless Chromium.

Usage: web_bench.py SITE_DIR FLOOR_DIR [RUNS]
  SITE_DIR   the unzipped web archive (index.html)
  FLOOR_DIR  the floor's build output (one_line_window.html)
"""
import gzip
import pathlib
import statistics
import sys
import tempfile
import time

import brotli

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "tools" / "web"))
from browser import CLIENT_SIZE, chromium, serve  # noqa: E402

# Records performance.now() (milliseconds from navigation) when a canvas at
# least the window's size first holds a painted pixel at its bottom right.
FIRST_WINDOW = """
(() => {
  const canvases = (node, found) => {
    if (node.shadowRoot) canvases(node.shadowRoot, found);
    for (const child of node.children || []) canvases(child, found);
    if (node.tagName === "CANVAS") found.push(node);
    return found;
  };
  const look = () => {
    for (const canvas of canvases(document.documentElement, [])) {
      if (canvas.width < %d * devicePixelRatio || canvas.height < %d * devicePixelRatio) continue;
      const context = canvas.getContext("2d");
      if (!context) continue;
      const pixel = context.getImageData(canvas.width - 2, canvas.height - 2, 1, 1).data;
      if (pixel[3] !== 0) { window.firstWindow = performance.now(); return; }
    }
    requestAnimationFrame(look);
  };
  requestAnimationFrame(look);
})();
""" % CLIENT_SIZE


def downloads(folder):
    sizes = [0, 0, 0]
    for path in sorted(folder.iterdir()):
        if path.suffix in (".wasm", ".js"):
            data = path.read_bytes()
            sizes[0] += len(data)
            sizes[1] += len(gzip.compress(data, 9, mtime=0))
            sizes[2] += len(brotli.compress(data, quality=11))
    return sizes


def first_window_ms(driver, url):
    driver.get("about:blank")
    driver.get(url)
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline:
        shown = driver.execute_script("return window.firstWindow")
        if shown is not None:
            return shown
        time.sleep(0.05)
    sys.exit(f"no window in {url} after 30 s")


def main(site, floor, runs):
    with tempfile.TemporaryDirectory() as profile:
        driver = chromium(profile)
        driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": FIRST_WINDOW})
        pages = {"Tolvane": serve(site) + "index.html",
                 "floor": serve(floor) + "one_line_window.html"}
        times = {name: [] for name in pages}
        for _ in range(runs):  # by turns, so that both meet the same machine
            for name, url in pages.items():
                times[name].append(first_window_ms(driver, url))
        driver.quit()
    sizes = {"Tolvane": downloads(site), "floor": downloads(floor)}
    print("| | Tolvane | floor | ratio |")
    print("|---|---:|---:|---:|")
    for i, kind in enumerate(["raw", "gzip -9", "brotli -q 11"]):
        print(f"| .wasm and .js, {kind} | {sizes['Tolvane'][i]:,} B | {sizes['floor'][i]:,} B "
              f"| {sizes['Tolvane'][i] / sizes['floor'][i]:.3f} |")
    medians = {name: statistics.median(values) for name, values in times.items()}
    print(f"| first whole window, median of {runs} | {medians['Tolvane']:.0f} ms "
          f"| {medians['floor']:.0f} ms | {medians['Tolvane'] / medians['floor']:.2f} |")


if __name__ == "__main__":
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    main(pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2]),
         int(sys.argv[3]) if len(sys.argv) == 4 else 9)
