#!/usr/bin/python3
"""What opening Tolvane in a browser costs, beside a floor built the same way
in the same run (bench/one_line_window.cpp: Qt Widgets, a window of the
same size with one line of text): the bytes a browser downloads (.wasm and
scripts; raw, gzip -9 and brotli -q 11) and the time from navigation to the
first whole window, the median of RUNS loads in one headless Chromium, each
from the server (the page's offline copy left out, as the floor has none).
Each SITE_DIR is one build of the page: the archive's, and the steps that
tools/make-web-zip.sh --size-steps writes. Then the first of them and the
floor in each engine: Chromium, Firefox ESR and WebKit (which needs an X
display: xvfb-run).

Usage: web_bench.py [--runs N] FLOOR_DIR SITE_DIR...
  FLOOR_DIR  the floor's build output (one_line_window.html)
  SITE_DIR   an unzipped web archive (index.html)
"""
import gzip
import pathlib
import shutil
import statistics
import sys
import tempfile
import time

import brotli

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "tools" / "web"))
from browser import CLIENT_SIZE, ENGINES, open_browser, serve  # noqa: E402

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


def instrumented(folder, page, into, offline_copy=False):
    """A copy of the folder whose page records its first window, as every
    engine runs it; without the offline copy's worker, unless asked for,
    so that each load comes from the server."""
    shutil.copytree(folder, into)
    html = into / page
    html.write_text(html.read_text().replace(
        "</head>", f"<script>{FIRST_WINDOW}</script>\n</head>", 1))
    if not offline_copy:
        (into / "service-worker.js").unlink(missing_ok=True)
    return serve(into) + page


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


def from_server(engine, pages, runs):
    """First-window times of each page in one browser of the engine, loaded
    by turns, so that all meet the same machine."""
    with tempfile.TemporaryDirectory() as profile:
        driver = open_browser(engine, profile)
        times = {name: [] for name in pages}
        for _ in range(runs):
            for name, url in pages.items():
                times[name].append(first_window_ms(driver, url))
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


def main(floor, sites, runs, scratch):
    folders = {"floor": floor, **{site.name: site for site in sites}}
    pages = {"floor": instrumented(floor, "one_line_window.html", scratch / "floor"),
             **{site.name: instrumented(site, "index.html", scratch / f"site-{number}")
                for number, site in enumerate(sites)}}
    times = from_server("chromium", pages, runs)
    sizes = {name: downloads(folder) for name, folder in folders.items()}
    offline = f"{sites[0].name}, from its offline copy"
    times[offline] = from_offline_copy(
        instrumented(sites[0], "index.html", scratch / "offline", offline_copy=True), runs)
    folders[offline], sizes[offline] = sites[0], sizes[sites[0].name]
    medians = {name: statistics.median(values) for name, values in times.items()}
    floor_size, floor_time = sizes["floor"], medians["floor"]
    print(f"| build | raw | gzip -9 | brotli -q 11 | first whole window, median of {runs} |")
    print("|---|---:|---:|---:|---:|")
    for name in folders:
        raw, gzipped, brotlied = sizes[name]
        print(f"| {name} | {raw:,} B ({raw / floor_size[0]:.3f}) "
              f"| {gzipped:,} B ({gzipped / floor_size[1]:.3f}) "
              f"| {brotlied:,} B ({brotlied / floor_size[2]:.3f}) "
              f"| {medians[name]:.0f} ms ({medians[name] / floor_time:.2f}) |")
    print("(in brackets: times the floor)")
    print()
    print(f"| engine | floor | {sites[0].name} | times the floor |")
    print("|---|---:|---:|---:|")
    both = {"floor": pages["floor"], sites[0].name: pages[sites[0].name]}
    for engine in ENGINES:
        medians = {name: statistics.median(values)
                   for name, values in from_server(engine, both, runs).items()}
        print(f"| {engine} | {medians['floor']:.0f} ms | {medians[sites[0].name]:.0f} ms "
              f"| {medians[sites[0].name] / medians['floor']:.2f} |")


if __name__ == "__main__":
    arguments = sys.argv[1:]
    runs = 9
    if arguments[:1] == ["--runs"] and len(arguments) > 1:
        runs, arguments = int(arguments[1]), arguments[2:]
    if len(arguments) < 2:
        sys.exit(__doc__)
    with tempfile.TemporaryDirectory() as scratch:
        main(pathlib.Path(arguments[0]), [pathlib.Path(a) for a in arguments[1:]], runs,
             pathlib.Path(scratch))
