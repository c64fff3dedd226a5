#!/usr/bin/python3
"""Tries what the web page gives around Tolvane's window, in Debian's
headless Chromium, the folder served with Cache-Control: no-cache:
- Chromium finds the page installable as an app;
- once visited, it starts again with the server stopped;
- a new version on the server replaces the old one whole at the next visit;
- on a slow line the download's progress rises to 100 % of the program;
- the page says plainly why when the program cannot be had: no
  WebAssembly, a file missing, the network lost;
- every link of the page, of its manifest and of its licences page is
  served.
On a failure the page's picture is kept, in SCREENSHOT_DIR or else beside
the archive.

Usage: web_page_test.py ZIP [SCREENSHOT_DIR]
"""
import pathlib
import shutil
import sys
import tempfile
import time
import zipfile

from web_zip_test import Failure, Page

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "tools" / "web"))
from browser import Server  # noqa: E402

# Bytes a second of the slow line: the program takes some seconds on it.
SLOW_LINE = 3_000_000
# Each progress value the page shows, and its words, as they change.
WATCH_PROGRESS = """
window.progressSeen = [];
setInterval(() => {
  const bar = document.getElementById("progress");
  const note = document.getElementById("note");
  if (!bar || bar.hidden) return;
  const seen = window.progressSeen;
  if (!seen.length || seen[seen.length - 1][0] !== bar.value) seen.push([bar.value, note.textContent]);
}, 20);
"""
# Every address in the folder that the page and its manifest lead to, and
# whether each is served.
LINKS_SERVED = """
const done = arguments[0];
// The project's own address is outside the folder, and the test's reach.
const links = [...document.querySelectorAll("a[href], link[href]")].map((a) => a.href)
    .filter((link) => new URL(link).origin === location.origin);
fetch("tolvane.webmanifest").then((r) => r.json()).then((manifest) => {
  for (const icon of manifest.icons) links.push(new URL(icon.src, location.href).href);
  return Promise.all(links.map((link) => fetch(link, { method: "HEAD", cache: "no-store" })
      .then((r) => [link, r.status], () => [link, "no answer"])));
}).then(done, (error) => done([["manifest", String(error)]]));
"""


def wait_for_offline_copy(page):
    page.wait_for("offline copy in use", lambda: page.driver.execute_script(
        "return navigator.serviceWorker.controller !== null"), 30)


def check_installable(page):
    errors = page.driver.execute_cdp_cmd("Page.getInstallabilityErrors", {})
    if errors["installabilityErrors"]:
        raise Failure(f"not installable: {errors['installabilityErrors']}")
    manifest = page.driver.execute_cdp_cmd("Page.getAppManifest", {})
    if manifest["errors"]:
        raise Failure(f"the manifest has errors: {manifest['errors']}")


def check_links(page, url):
    for address in (url, url + "licences.html"):
        page.driver.get(address)
        bad = [(link, status) for link, status in page.driver.execute_async_script(LINKS_SERVED)
               if status != 200]
        if bad:
            raise Failure(f"links of {address} not served: {bad}")


def check_offline_and_update(page, server, folder):
    """Visits with the server stopped, then with a new version on it."""
    wait_for_offline_copy(page)
    server.stop()
    page.driver.get(server.url)
    page.find_window()
    # A new version: its page reads differently, and so does its worker.
    for name, old, new in (("index.html", '<footer id="about">', '<footer id="about">New: '),
                           ("service-worker.js", 'VERSION = "', 'VERSION = "new-')):
        path = folder / name
        text = path.read_text()
        if old not in text:
            raise Failure(f"{name} does not hold {old!r}")
        path.write_text(text.replace(old, new))
    newer = Server(folder, server.port)
    try:
        page.driver.get(newer.url)
        page.wait_for("new version's page", lambda: page.driver.execute_script(
            "return document.getElementById('about')?.textContent.startsWith('New: ')"))
        page.find_window()
        kept = page.driver.execute_async_script(
            "caches.keys().then(arguments[0], (e) => arguments[0]([String(e)]))")
        if len(kept) != 1 or "new-" not in kept[0]:
            raise Failure(f"after the update the page keeps {kept}")
    finally:
        newer.stop()


def progress_on_slow_line(page, url):
    page.driver.execute_cdp_cmd("Network.enable", {})
    page.driver.execute_cdp_cmd("Network.emulateNetworkConditions", {
        "offline": False, "latency": 20, "downloadThroughput": SLOW_LINE,
        "uploadThroughput": SLOW_LINE})
    page.driver.get(url)
    page.find_window()
    return page.driver.execute_script("return window.progressSeen")


def check_connection_lost(page, server):
    """The server breaks off while it sends the program."""
    page.driver.get(server.url)
    page.wait_for("download under way", lambda: page.driver.execute_script(
        "return window.progressSeen.length > 2"))
    server.cut()
    server.stop()
    check_says(page, "the network connection was lost during the download")


def check_progress(page, url):
    seen = progress_on_slow_line(page, url)
    values = [value for value, _ in seen]
    if len(values) < 5 or values != sorted(values) or values[-1] != 100:
        raise Failure(f"the progress shown on a slow line: {values}")
    words = seen[-1][1]
    if not (words.startswith("Downloading Tolvane: 100% of ") and words.endswith(" MB")):
        raise Failure(f'the progress says "{words}"')


def check_says(page, words):
    page.wait_for(f'words "{words}"', lambda: words in page.text())


def visit(page, server):
    page.driver.get(server.url)


def unzip(archive, folder):
    zipfile.ZipFile(archive).extractall(folder)
    return folder


def main(archive, shots):
    archive = pathlib.Path(archive).resolve()
    shots = pathlib.Path(shots).resolve() if shots else None
    if shots:
        shots.mkdir(parents=True, exist_ok=True)
    with tempfile.TemporaryDirectory() as scratch:
        scratch = pathlib.Path(scratch)
        site = unzip(archive, scratch / "site")
        missing = pathlib.Path(shutil.copytree(site, scratch / "missing"))
        (missing / "tolvane.wasm").unlink()
        # Each case a fresh browser, with nothing kept from the one before;
        # the slow line's cases visit the page themselves, once throttled;
        # the last one changes the folder into a new version.
        cases = [
            ("installable, links served", site, None,
             lambda page, server: (visit(page, server), page.find_window(),
                                   check_installable(page), check_links(page, server.url))),
            ("progress on a slow line", site, WATCH_PROGRESS,
             lambda page, server: check_progress(page, server.url)),
            ("no WebAssembly", site, "delete window.WebAssembly;",
             lambda page, server: (visit(page, server),
                                   check_says(page, "it needs WebAssembly"))),
            ("a file missing", missing, None,
             lambda page, server: (visit(page, server), check_says(
                 page, "tolvane.wasm is missing on the server (HTTP 404)"))),
            ("the network lost", site, WATCH_PROGRESS, check_connection_lost),
            ("offline, then a new version", site, None,
             lambda page, server: (visit(page, server), page.find_window(),
                                   check_offline_and_update(page, server, site))),
        ]
        for number, (name, folder, script, check) in enumerate(cases):
            server = Server(folder, rate=SLOW_LINE if check is check_connection_lost else None)
            page = Page(None, 1, scratch / f"profile-{number}")
            try:
                if script:
                    page.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument",
                                                {"source": script})
                check(page, server)
            except Failure as failure:
                page.fail(name, failure, (shots or archive.parent) / f"web-page-failed-{number}.png")
            finally:
                page.close()
                server.stop()
            print(f"   {name}: right")
    print("The web page is installable, works offline, updates whole, shows its progress,"
          " says why it cannot start and serves its links")


if __name__ == "__main__":
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2] if len(sys.argv) == 3 else None)
