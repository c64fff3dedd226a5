#!/usr/bin/python3
"""Tries what the web page gives around Tolvane's window, in Debian's
headless Chromium, the folder served with Cache-Control: no-cache:
- Chromium finds the page installable as an app;
- once visited, it starts again with the server stopped, no slower;
- a new version on the server is kept whole in the background and starts
  at the next visit; one whose files do not match the digests its worker
  was built with (a stale file on a cache between) is refused, and the
  copy kept starts at once;
- the page runs no program but its own: another version's tolvane.wasm
  beside it is refused, and the page says so;
- the page says plainly why it cannot work: no WebAssembly, a file
  missing, the network lost;
- every link of the page, of its manifest and of its licences page is
  served.
On a failure the page's picture is kept, in SCREENSHOT_DIR or else beside
the archive.

Usage: web_page_test.py ZIP [SCREENSHOT_DIR]
"""
import base64
import hashlib
import pathlib
import re
import shutil
import sys
import tempfile
import time
import zipfile

from web_zip_test import Failure, Page

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "tools" / "web"))
from browser import Server  # noqa: E402

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
KEPT = "caches.keys().then(arguments[0], (e) => arguments[0]([String(e)]))"
# Asks for the newest version, as the page does once loaded, and waits for
# the new worker, if any, to serve (activated) or be given up (redundant).
UPDATE_SETTLED = """
const done = arguments[0];
navigator.serviceWorker.getRegistration().then(async (registration) => {
  await registration.update().catch(() => {});
  const worker = registration.installing || registration.waiting;
  if (!worker) return done("no new worker");
  const settle = () => {
    if (["activated", "redundant"].includes(worker.state)) done(worker.state);
  };
  worker.addEventListener("statechange", settle);
  settle();
}).catch((error) => done(String(error)));
"""
# Where the first whole window showed, in ms from the start of the visit.
FIRST_WINDOW = """
  const paint = performance.getEntriesByName("first-contentful-paint")[0];
  return paint ? paint.startTime : null;
"""


def integrity(data):
    return "sha256-" + base64.b64encode(hashlib.sha256(data).digest()).decode()


def new_version(folder, words, stale=None):
    """Changes the page's foot to start with the words and, as the build
    would, its digest in the worker, which makes a new version; with stale,
    that file is left as it was while its digest in the worker changes, as
    a stale copy on a cache between server and browser would be."""
    page = folder / "index.html"
    text = page.read_text()
    if '<footer id="foot">' not in text:
        raise Failure("the page has no foot to change")
    page.write_text(text.replace('<footer id="foot">', f'<footer id="foot">{words}'))
    worker = folder / "service-worker.js"
    script = worker.read_text()
    for name in ("index.html", stale):
        if name:
            data = (folder / name).read_bytes() + (b"stale" if name == stale else b"")
            script = re.sub(rf'("{re.escape(name)}": )"[^"]*"', rf'\1"{integrity(data)}"', script)
    worker.write_text(script.replace('VERSION = "', f'VERSION = "{words}-'))


def wait_for_offline_copy(page):
    page.wait_for("offline copy in use", lambda: page.script(
        "return navigator.serviceWorker.controller !== null"), 30)


def foot(page):
    return page.script("return document.getElementById('foot')?.textContent")


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


def tables_work(page):
    page.click("#Check141")
    page.click("#cmdcode")
    table = page.script("return document.getElementById('text3').value")
    if table != "10, 00, 00, 00, 00, 00, 00, 00":
        raise Failure(f"the PF0 table reads {table!r}")


def check_offline(page, server):
    """Visits with the server stopped: the kept copy starts, no slower."""
    wait_for_offline_copy(page)
    online = page.script(FIRST_WINDOW)
    server.stop()
    page.driver.get(server.url)
    page.find_window()
    tables_work(page)
    offline = page.script(FIRST_WINDOW)
    print(f"      first window online {online:.0f} ms, from the offline copy {offline:.0f} ms")


def check_update(page, server, folder):
    """A new version starts at the next visit but one, whole."""
    check_offline(page, server)
    new_version(folder, "New: ")
    newer = Server(folder, server.port)
    try:
        page.driver.get(newer.url)  # the kept copy starts; the new one is fetched
        page.find_window()
        if foot(page).startswith("New: "):
            raise Failure("the new version took over a visit under way")
        # The page asked for it already; the worker may serve by now.
        settled = page.driver.execute_async_script(UPDATE_SETTLED)
        if settled not in ("activated", "no new worker"):
            raise Failure(f"the new version's worker ended {settled}")
        page.wait_for("new version kept", lambda: any(
            "New: -" in name for name in page.driver.execute_async_script(KEPT)), 10)
        page.driver.get(newer.url)
        page.wait_for("new version's page", lambda: (foot(page) or "").startswith("New: "))
        tables_work(page)
        kept = page.driver.execute_async_script(KEPT)
        if len(kept) != 1 or "New: -" not in kept[0]:
            raise Failure(f"after the update the page keeps {kept}")
    finally:
        newer.stop()


def check_stale_refused(page, server, folder):
    """A new version whose program on the server is stale is never kept:
    the kept copy goes on starting, at once."""
    wait_for_offline_copy(page)
    new_version(folder, "Stale: ", stale="tolvane.wasm")
    page.driver.get(server.url)
    page.find_window()
    settled = page.driver.execute_async_script(UPDATE_SETTLED)
    if settled != "redundant":
        raise Failure(f"the stale version's worker ended {settled}, not refused")
    for _ in range(2):
        started = time.monotonic()
        page.driver.get(server.url)
        page.find_window()
        took = time.monotonic() - started
        if foot(page).startswith("Stale: ") or took > 5:
            raise Failure(f"a stale version started (foot {foot(page)!r}, {took:.1f} s)")
        tables_work(page)
    kept = page.driver.execute_async_script(KEPT)
    if len(kept) != 1 or "Stale" in kept[0]:
        raise Failure(f"with a stale file on the server the page keeps {kept}")


def check_says(page, words):
    page.wait_for(f'words "{words}"', lambda: words in page.text())


def visit(page, server):
    page.driver.get(server.url)


def unzip(archive, folder):
    zipfile.ZipFile(archive).extractall(folder)
    return folder


def variant(site, folder, change):
    """A copy of the site with one change."""
    copy = pathlib.Path(shutil.copytree(site, folder))
    change(copy)
    return copy


def check_connection_lost(page, server):
    """The server breaks off while it sends the program."""
    page.driver.get(server.url)
    page.wait_for("download under way", lambda: server.sending)
    server.cut()
    server.stop()
    check_says(page, "Tolvane could not be loaded: the network connection is gone.")


def main(archive, shots):
    archive = pathlib.Path(archive).resolve()
    shots = pathlib.Path(shots).resolve() if shots else None
    if shots:
        shots.mkdir(parents=True, exist_ok=True)
    with tempfile.TemporaryDirectory() as scratch:
        scratch = pathlib.Path(scratch)
        site = unzip(archive, scratch / "site")
        missing = variant(site, scratch / "missing", lambda f: (f / "tolvane.wasm").unlink())
        other = variant(site, scratch / "other", lambda f: (f / "tolvane.wasm").write_bytes(
            (f / "tolvane.wasm").read_bytes() + b"\0"))
        # Each case a fresh browser, with nothing kept from the one before;
        # the last ones change their folder into a new version.
        cases = [
            ("installable, links served", site, None, None,
             lambda page, server: (visit(page, server), page.find_window(),
                                   check_installable(page), check_links(page, server.url))),
            ("no WebAssembly", site, "delete window.WebAssembly;", None,
             lambda page, server: (visit(page, server),
                                   check_says(page, "it needs WebAssembly"))),
            ("a file missing", missing, None, None,
             lambda page, server: (visit(page, server), check_says(
                 page, "tolvane.wasm is missing on the server (HTTP 404)"))),
            ("another version's program", other, None, None,
             lambda page, server: (visit(page, server), check_says(
                 page, "tolvane.wasm on the server is not the one this page was built with"))),
            ("the network lost", site, None, 2_000, check_connection_lost),
            ("offline, then a new version", unzip(archive, scratch / "updated"), None, None,
             lambda page, server: (visit(page, server), page.find_window(),
                                   check_update(page, server, scratch / "updated"))),
            ("a stale file refused", unzip(archive, scratch / "stale"), None, None,
             lambda page, server: (visit(page, server), page.find_window(),
                                   check_stale_refused(page, server, scratch / "stale"))),
        ]
        for number, (name, folder, script, rate, check) in enumerate(cases):
            server = Server(folder, rate=rate, slow="tolvane.wasm")
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
    print("The web page is installable, works offline, updates whole and never mixes versions,"
          " says why it cannot work and serves its links")


if __name__ == "__main__":
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2] if len(sys.argv) == 3 else None)
