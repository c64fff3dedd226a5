#!/usr/bin/python3
"""What opening Tolvane in a browser costs, beside its floor in the same
run (bench/floor.html: a plain page with the window's controls and the
tables written by a few lines of script): the bytes a browser downloads
to show the window (the page with its styles, its script and
tolvane.wasm; raw, gzip -9 and brotli -q 11; manifest and icons aside),
and the time from navigation to the first whole window (the frame that
draws all 160 check boxes and both notices), the median of RUNS loads
from the server in each engine: Chromium, Firefox ESR and WebKit (which
needs an X display: xvfb-run), with, for Tolvane, when its tables'
program has arrived; then later visits from the page's offline copy.

Usage: web_bench.py [--runs N] FLOOR_PAGE SITE_DIR
  FLOOR_PAGE  bench/floor.html
  SITE_DIR    an unzipped web archive (index.html)
"""
import base64
import gzip
import hashlib
import pathlib
import re
import shutil
import statistics
import sys
import tempfile
import time

import brotli

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "tools" / "web"))
from browser import ENGINES, open_browser, serve  # noqa: E402

# Records performance.now() (milliseconds from navigation) at the start of
# the first frame that draws the whole window, and when tolvane.wasm
# arrived.
FIRST_WINDOW = """
(() => {
  const whole = () => document.querySelectorAll("input[type=checkbox]").length === 160 &&
      document.querySelectorAll("#client p").length === 2;
  const look = () => {
    if (whole()) window.firstWindow = performance.now();
    else requestAnimationFrame(look);
  };
  requestAnimationFrame(look);
})();
"""
PROGRAM_ARRIVED = """
  const program = performance.getEntriesByType("resource")
      .find((entry) => entry.name.endsWith("tolvane.wasm"));
  return program ? program.responseEnd : null;
"""


def instrumented(folder, page, into, offline_copy=False):
    """A copy of the folder whose page records its first window, as every
    engine runs it; without the offline copy's worker, unless asked for,
    so that each load comes from the server."""
    shutil.copytree(folder, into)
    html = into / page
    html.write_text(html.read_text().replace(
        "</head>", f"<script>{FIRST_WINDOW}</script>\n</head>", 1))
    worker = into / "service-worker.js"
    if not offline_copy:
        worker.unlink(missing_ok=True)
    elif worker.exists():  # the worker keeps only the page it was told of
        digest = "sha256-" + base64.b64encode(hashlib.sha256(html.read_bytes()).digest()).decode()
        worker.write_text(re.sub(r'("index.html": )"[^"]*"', rf'\1"{digest}"', worker.read_text()))
    return serve(into) + page


def downloads(folder):
    sizes = [0, 0, 0]
    for path in sorted(folder.iterdir()):
        if path.name in ("index.html", "tolvane.js", "tolvane.wasm"):
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


def program_ms(driver):
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline:
        arrived = driver.execute_script(PROGRAM_ARRIVED)
        if arrived:
            return arrived
        time.sleep(0.05)
    sys.exit("tolvane.wasm did not arrive in 30 s")


def from_server(engine, pages, runs):
    """First-window times of each page in one browser of the engine, loaded
    by turns, so that all meet the same machine."""
    with tempfile.TemporaryDirectory() as profile:
        driver = open_browser(engine, profile)
        times = {name: [] for name in [*pages, "program"]}
        for _ in range(runs):
            for name, url in pages.items():
                times[name].append(first_window_ms(driver, url))
                if name != "floor":
                    times["program"].append(program_ms(driver))
        driver.quit()
    return times


def from_offline_copy(url, runs):
    """First-window times of later visits as a user makes them: from the
    page's offline copy, after its check for a newer version."""
    with tempfile.TemporaryDirectory() as profile:
        driver = open_browser("chromium", profile)
        first_window_ms(driver, url)
        deadline = time.monotonic() + 30
        while not driver.execute_script("return navigator.serviceWorker.controller !== null"):
            if time.monotonic() > deadline:
                sys.exit("the page kept no offline copy in 30 s")
            time.sleep(0.1)
        times = [first_window_ms(driver, url) for _ in range(runs)]
        driver.quit()
    return times


def main(floor, site, runs, scratch):
    (scratch / "floor").mkdir()
    shutil.copy(floor, scratch / "floor" / "index.html")
    floor = scratch / "floor"
    pages = {"floor": instrumented(floor, "index.html", scratch / "floor-page"),
             "Tolvane": instrumented(site, "index.html", scratch / "site")}
    sizes = {"floor": downloads(floor), "Tolvane": downloads(site)}
    print("| page | raw | gzip -9 | brotli -q 11 |")
    print("|---|---:|---:|---:|")
    for name, (raw, gzipped, brotlied) in sizes.items():
        print(f"| {name} | {raw:,} B | {gzipped:,} B | {brotlied:,} B |")
    print()
    print(f"| engine | floor | Tolvane | times the floor | tables' program arrived |"
          f" (medians of {runs})")
    print("|---|---:|---:|---:|---:|")
    for engine in ENGINES:
        medians = {name: statistics.median(values)
                   for name, values in from_server(engine, pages, runs).items()}
        print(f"| {engine} | {medians['floor']:.0f} ms | {medians['Tolvane']:.0f} ms "
              f"| {medians['Tolvane'] / medians['floor']:.2f} | {medians['program']:.0f} ms |")
    offline = statistics.median(from_offline_copy(
        instrumented(site, "index.html", scratch / "offline", offline_copy=True), runs))
    print(f"\nChromium, a later visit from the offline copy: {offline:.0f} ms"
          " to the first whole window")


if __name__ == "__main__":
    arguments = sys.argv[1:]
    runs = 21
    if arguments[:1] == ["--runs"] and len(arguments) > 1:
        runs, arguments = int(arguments[1]), arguments[2:]
    if len(arguments) != 2:
        sys.exit(__doc__)
    with tempfile.TemporaryDirectory() as scratch:
        main(pathlib.Path(arguments[0]), pathlib.Path(arguments[1]), runs, pathlib.Path(scratch))
