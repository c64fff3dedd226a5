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
program has arrived and a later visit from the page's offline copy; then
first visits over a slow line (every file at 20 KB/s, a fresh browser
each, the median of RUNS but at most 5): when the window shows, when its
script has bound the buttons and when the program has arrived, and so
when the window answers a press: the later of the two.

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
from browser import ENGINES, Server, open_browser  # noqa: E402

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
# Records performance.now() when the window's script has bound its buttons
# (aria-busy turns "false"); presses before then wait for it.
SCRIPT_BOUND = """
new MutationObserver((changes, observer) => {
  if (changes.some((change) => change.target.getAttribute("aria-busy") === "false")) {
    window.scriptBound = performance.now();
    observer.disconnect();
  }
}).observe(document.documentElement, { subtree: true, attributeFilter: ["aria-busy"] });
"""

# The slow line: bytes a second, each file.
RATE = 20_000


def instrumented(folder, page, into, offline_copy=False, rate=None):
    """A copy of the folder whose page records its first window and when
    its script bound the buttons, as every engine runs it; without the
    offline copy's worker, unless asked for, so that each load comes from
    the server; served at rate bytes a second a file, if given."""
    shutil.copytree(folder, into)
    html = into / page
    html.write_text(html.read_text().replace(
        "</head>", f"<script>{FIRST_WINDOW}{SCRIPT_BOUND}</script>\n</head>", 1))
    worker = into / "service-worker.js"
    if not offline_copy:
        worker.unlink(missing_ok=True)
    elif worker.exists():  # the worker keeps only the page it was told of
        digest = "sha256-" + base64.b64encode(hashlib.sha256(html.read_bytes()).digest()).decode()
        worker.write_text(re.sub(r'("index.html": )"[^"]*"', rf'\1"{digest}"', worker.read_text()))
    return Server(into, rate=rate).url + page


def downloads(folder):
    sizes = [0, 0, 0]
    for path in sorted(folder.iterdir()):
        if path.name in ("index.html", "tolvane.js", "tolvane.wasm"):
            data = path.read_bytes()
            sizes[0] += len(data)
            sizes[1] += len(gzip.compress(data, 9, mtime=0))
            sizes[2] += len(brotli.compress(data, quality=11))
    return sizes


def wait_for(driver, script, failure):
    """What the script returns once it returns something, within 30 s."""
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline:
        value = driver.execute_script(script)
        if value:
            return value
        time.sleep(0.05)
    sys.exit(f"{failure} in 30 s")


def first_window_ms(driver, url):
    driver.get("about:blank")
    driver.get(url)
    return wait_for(driver, "return window.firstWindow", f"no window in {url}")


def program_ms(driver):
    return wait_for(driver, PROGRAM_ARRIVED, "tolvane.wasm did not arrive")


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


def from_offline_copy(engine, url, runs):
    """First-window times of later visits as a user makes them: from the
    page's offline copy, after its check for a newer version."""
    with tempfile.TemporaryDirectory() as profile:
        driver = open_browser(engine, profile)
        first_window_ms(driver, url)
        wait_for(driver, "return navigator.serviceWorker.controller !== null",
                 f"{engine} kept no offline copy")
        times = [first_window_ms(driver, url) for _ in range(runs)]
        driver.quit()
    return times


def on_slow_line(engine, pages, runs, warm_up):
    """First visits over the slow line, each run in a fresh browser of the
    engine (nothing cached), started on another address (warm_up), as a
    browser in use is, then the pages by turns: when the window shows,
    when its script bound the buttons, when the program arrived, and when
    it answers a press, proven by a press of Create Code. The floor has no
    program and binds its buttons before its first frame."""
    times = {name: {"shows": [], "bound": [], "program": [], "answers": []} for name in pages}
    for _ in range(runs):
        with tempfile.TemporaryDirectory() as profile:
            driver = open_browser(engine, profile)
            first_window_ms(driver, warm_up)
            for name, url in pages.items():
                shows = first_window_ms(driver, url)
                times[name]["shows"].append(shows)
                if name == "floor":
                    times[name]["answers"].append(shows)
                    continue
                bound = wait_for(driver, "return window.scriptBound", "the script bound nothing")
                arrived = program_ms(driver)
                times[name]["bound"].append(bound)
                times[name]["program"].append(arrived)
                times[name]["answers"].append(max(bound, arrived))
                driver.execute_script('document.getElementById("Check141").click();'
                                      ' document.getElementById("cmdcode").click();')
                wait_for(driver, 'return document.getElementById("text3").value'
                         ' === "10, 00, 00, 00, 00, 00, 00, 00"', "Create Code did not answer")
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
    print(f"| engine | floor | Tolvane | times the floor | tables' program arrived "
          f"| Tolvane, later visit from the offline copy | (medians of {runs})")
    print("|---|---:|---:|---:|---:|---:|")
    offline = instrumented(site, "index.html", scratch / "offline", offline_copy=True)
    for engine in ENGINES:
        medians = {name: statistics.median(values)
                   for name, values in from_server(engine, pages, runs).items()}
        later = statistics.median(from_offline_copy(engine, offline, runs))
        print(f"| {engine} | {medians['floor']:.0f} ms | {medians['Tolvane']:.0f} ms "
              f"| {medians['Tolvane'] / medians['floor']:.2f} | {medians['program']:.0f} ms "
              f"| {later:.0f} ms |")
    slow = {"floor": instrumented(floor, "index.html", scratch / "floor-slow", rate=RATE),
            "Tolvane": instrumented(site, "index.html", scratch / "site-slow", rate=RATE)}
    slow_runs = min(runs, 5)
    print(f"\nFirst visits, every file at {RATE // 1000} KB/s, a fresh browser each"
          f" (medians of {slow_runs}):\n")
    print("| engine | page | window shows | script bound | program arrived | answers a press |")
    print("|---|---|---:|---:|---:|---:|")
    for engine in ENGINES:
        for name, times in on_slow_line(engine, slow, slow_runs, pages["floor"]).items():
            cells = [f"{statistics.median(times[column]):.0f} ms" if times[column] else "–"
                     for column in ("shows", "bound", "program", "answers")]
            print(f"| {engine} | {name} | {' | '.join(cells)} |")


if __name__ == "__main__":
    arguments = sys.argv[1:]
    runs = 21
    if arguments[:1] == ["--runs"] and len(arguments) > 1:
        runs, arguments = int(arguments[1]), arguments[2:]
    if len(arguments) != 2:
        sys.exit(__doc__)
    with tempfile.TemporaryDirectory() as scratch:
        main(pathlib.Path(arguments[0]), pathlib.Path(arguments[1]), runs, pathlib.Path(scratch))
