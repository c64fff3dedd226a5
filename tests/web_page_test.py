#!/usr/bin/python3
"""Tries the page around Tolvane's window as users host it, served with
Cache-Control: no-cache. In Chromium, Firefox and WebKit: on a host with
"pretty URLs" (308 from /index.html to / and from /x.html to /x) a first,
a second and an offline visit start it, and offline every file the
licences link to is had; a copy cleared behind the page's back is filled
again; a release of the worker alone that fails to install leaves the copy
in use whole; on a slow line (the script at 2 KB/s) a tick and Create
Code pressed before the page's script has come give the tables; opened as a file, or
its script blocked by the host's policy, the page says why. In Chromium:
it is installable; a new version starts at the next visit but one, whole;
it says why it cannot work without WebAssembly, a file, the network or a
script that parses, or with another version's program.
On a failure the page's picture is kept, in SCREENSHOT_DIR or else beside
the archive. WebKit needs an X display (xvfb-run).

Usage: web_page_test.py ZIP [SCREENSHOT_DIR]
"""
import pathlib
import re
import sys

from web_zip_test import Failure, Server, run_cases

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "web"))
from stamp import integrity  # noqa: E402

# Every address in the folder that the page and its manifest lead to, and
# whether each is had (from the server, or from the offline copy).
LINKS_SERVED = """
// The project's own address is outside the folder, and the test's reach.
const links = [...document.querySelectorAll("a[href], link[href]")].map((a) => a.href)
    .filter((link) => new URL(link).origin === location.origin);
const manifest = await fetch("tolvane.webmanifest").then((r) => r.json());
for (const icon of manifest.icons) links.push(new URL(icon.src, location.href).href);
return Promise.all(links.map((link) => fetch(link).then((r) => [link, r.status],
                                                       () => [link, "no answer"])));
"""
KEPT = "return caches.keys()"
# Asks for the newest version, as the page does once loaded, and waits for
# the new worker, if any, to serve (activated) or be given up (redundant).
# A worker that fails fast may be gone from the registration before update()
# returns: it is taken where it is, or as the browser announces it.
UPDATE_SETTLED = """
const registration = await navigator.serviceWorker.getRegistration();
const under_way = registration.installing || registration.waiting;
const found = new Promise((done) => registration.addEventListener(
  "updatefound", () => done(registration.installing)));
await registration.update().catch(() => {});
const worker = under_way || registration.installing || registration.waiting ||
  await Promise.race([found, new Promise((done) => setTimeout(done, 5000))]);
if (!worker) return "no new worker";
return new Promise((done) => {
  const settle = () => {
    if (["activated", "redundant"].includes(worker.state)) done(worker.state);
  };
  worker.addEventListener("statechange", settle);
  settle();
  setTimeout(() => done(`still ${worker.state}`), 20000);
});
"""
# How many files the offline copies hold.
# The files the worker keeps, each with its digest; those not kept.
KEPT_FILES = re.compile(r'^  "([^"]+)": "sha256-', re.M)
NOT_KEPT = """
return (await Promise.all({}.map(async (file) => (await caches.match(file)) ? [] : [file]))).flat();
"""


def new_version(folder, words):
    """Changes the page's foot to start with the words and, as the build
    would, its digest in the worker, which makes a new version."""
    page = folder / "index.html"
    page.write_text(page.read_text().replace('<footer id="foot">', f'<footer id="foot">{words}'))
    worker = folder / "service-worker.js"
    script = worker.read_text()
    script = re.sub(r'("index.html": )"[^"]*"', rf'\1"{integrity(page)}"', script)
    worker.write_text(script.replace('VERSION = "', f'VERSION = "{words}-'))


def wait_for_offline_copy(page):
    page.wait_for("offline copy in use", lambda: page.script(
        "return navigator.serviceWorker.controller !== null"), 30)


def foot(page):
    return page.script("return document.getElementById('foot')?.textContent") or ""


def check_installable(page, server):
    page.visit(server.url)
    errors = page.driver.execute_cdp_cmd("Page.getInstallabilityErrors", {})
    if errors["installabilityErrors"]:
        raise Failure(f"not installable: {errors['installabilityErrors']}")
    manifest = page.driver.execute_cdp_cmd("Page.getAppManifest", {})
    if manifest["errors"]:
        raise Failure(f"the manifest has errors: {manifest['errors']}")
    check_links(page, server.url + "index.html")


def check_links(page, url):
    page.visit(url)
    bad = [(link, status) for link, status in page.script(LINKS_SERVED) if status != 200]
    if bad:
        raise Failure(f"links of {url} not had: {bad}")


def tables_work(page):
    page.find_window()
    page.click("#Check141")
    page.click("#cmdcode")
    page.wait_for("PF0 table", lambda: page.script(
        "return document.getElementById('text3').value") == "10, 00, 00, 00, 00, 00, 00, 00", 10)


def check_pretty_host(page, server):
    """Visits by each address a link may give, online and offline, where
    the host redirects; offline, every file the licences link to."""
    page.visit(server.url)
    wait_for_offline_copy(page)
    for address in ("", "index.html", "", "index.html", "?from=a-link"):
        page.visit(server.url + address)
        tables_work(page)
        if address == "index.html":
            server.stop()
    check_links(page, server.url + "licences")


def check_refilled(page, server):
    """The copy, cleared by another page of the site, is filled again by
    the next visit online and serves the one after it, offline."""
    page.visit(server.url)
    wait_for_offline_copy(page)
    page.script("for (const name of await caches.keys()) await caches.delete(name)")
    page.visit(server.url)
    files = KEPT_FILES.findall((server.folder / "service-worker.js").read_text())
    page.wait_for("copy refilled", lambda: not page.script(NOT_KEPT.format(files)), 20,
                  lambda: f"({page.script(NOT_KEPT.format(files))} missing)")
    server.stop()
    page.visit(server.url)
    tables_work(page)


def check_failed_release(page, server):
    """A release of the worker alone (once, one under the same name) that
    fails to install, a file missing on the server for a moment, leaves
    the copy in use whole: Tolvane starts from it offline."""
    page.visit(server.url)
    wait_for_offline_copy(page)
    worker = server.folder / "service-worker.js"
    worker.write_text(worker.read_text() + "// the next release\n")
    (server.folder / "readme.txt").unlink()
    page.visit(server.url)
    page.find_window()
    settled = page.script(UPDATE_SETTLED)
    if settled != "redundant":
        raise Failure(f"a release with a file missing was not given up: {settled}")
    server.stop()
    page.visit(server.url)
    tables_work(page)


def check_offline(page, server):
    """Visits with the server stopped: the kept copy starts Tolvane."""
    wait_for_offline_copy(page)
    server.stop()
    page.visit(server.url)
    tables_work(page)


def check_update(page, server):
    """A new version starts at the next visit but one, whole."""
    page.visit(server.url)
    page.find_window()
    check_offline(page, server)
    new_version(server.folder, "New: ")
    newer = Server(server.folder, server.port)
    try:
        page.visit(newer.url)  # the kept copy starts; the new one is fetched
        page.find_window()
        if foot(page).startswith("New: "):
            raise Failure("the new version took over a visit under way")
        # The page asked for it already; the worker may serve by now.
        settled = page.script(UPDATE_SETTLED)
        if settled not in ("activated", "no new worker"):
            raise Failure(f"the new version's worker ended {settled}")
        page.wait_for("new version kept", lambda: any(
            "New: -" in name for name in page.script(KEPT)), 10)
        page.visit(newer.url)
        page.wait_for("new version's page", lambda: foot(page).startswith("New: "))
        tables_work(page)
        kept = page.script(KEPT)
        if len(kept) != 1 or "New: -" not in kept[0]:
            raise Failure(f"after the update the page keeps {kept}")
    finally:
        newer.stop()


def check_early_press(page, server):
    """On a line where the script comes last and slowly, a tick and Create
    Code pressed as soon as the window shows, before its script has bound
    them, still give the tables."""
    page.script(f"location.href = {server.url!r}")
    page.wait_for("window shown", lambda: page.script(
        "return document.getElementById('cmdcode')?.getBoundingClientRect().width > 0"), 30)
    page.click("#Check141")
    page.click("#cmdcode")
    if page.script("return document.getElementById('frmtolvane').ariaBusy") != "true":
        raise Failure("the window's script came before the press: the line is not slow enough")
    page.wait_for("window at work", lambda: page.script(
        "return document.getElementById('frmtolvane').ariaBusy") == "false", 30)
    page.wait_for("PF0 table from the early press", lambda: page.script(
        "return document.getElementById('text3').value") == "10, 00, 00, 00, 00, 00, 00, 00", 30)


def says(words):
    """A check that the page, in place of its window, says the words."""
    def check(page, server):
        if server:
            page.visit(server.url)
        page.wait_for(f'words "{words[:40]}..."', lambda: words in page.text() and page.script(
            "return !document.getElementById('frmtolvane')"
            ".checkVisibility({ visibilityProperty: true })"), 20)
    return check


def broken_script(folder):
    """tolvane.js that does not parse, with the digest the page asks for."""
    (folder / "tolvane.js").write_text("this is not JavaScript(")
    page = folder / "index.html"
    page.write_text(re.sub(r'integrity: "[^"]*"',
                           f'integrity: "{integrity(folder / "tolvane.js")}"',
                           page.read_text()))


def check_connection_lost(page, server):
    """The server breaks off while it sends the program."""
    page.visit(server.url)
    page.wait_for("download under way", lambda: server.sending)
    server.cut()
    server.stop()
    says("Tolvane could not be loaded: the network connection is gone.")(page, None)


def check_from_file(page, server):
    page.visit((server.folder / "index.html").as_uri())
    says("In the folder that holds index.html, run\n\n"
         "    python3 -m http.server 8000 --bind 127.0.0.1")(page, None)


EVERYWHERE, CHROMIUM = ("chromium", "firefox", "webkit"), ("chromium",)
DID_NOT_RUN = "Tolvane could not start: its script did not run."
# name, engines, check, options (see run_cases)
CASES = [
    ("a pretty-URL host, online and offline", EVERYWHERE, check_pretty_host,
     {"server": {"pretty": True}}),
    ("a copy cleared, refilled", EVERYWHERE, check_refilled, {}),
    ("a failed release keeps the copy in use", EVERYWHERE, check_failed_release, {}),
    ("an early press on a slow line", EVERYWHERE, check_early_press,
     {"server": {"rate": 2_000, "slow": "tolvane.js"}}),
    ("opened as a file", EVERYWHERE, check_from_file, {}),
    ("a policy blocks its script", EVERYWHERE, says(DID_NOT_RUN), {"server": {"headers": [
        ("Content-Security-Policy", "script-src 'self' 'wasm-unsafe-eval'")]}}),
    ("a script that does not parse", CHROMIUM, says("this browser could not run its script."),
     {"folder": broken_script}),
    ("installable, links served", CHROMIUM, check_installable, {}),
    ("no WebAssembly", CHROMIUM, says("it needs WebAssembly"), {
        "before": lambda page: page.driver.execute_cdp_cmd(
            "Page.addScriptToEvaluateOnNewDocument", {"source": "delete window.WebAssembly;"})}),
    ("a file missing", CHROMIUM, says("tolvane.wasm is missing on the server (HTTP 404)"),
     {"folder": lambda folder: (folder / "tolvane.wasm").unlink()}),
    ("another version's program", CHROMIUM,
     says("tolvane.wasm on the server is not the one this page was built with"),
     {"folder": lambda folder: (folder / "tolvane.wasm").write_bytes(
         (folder / "tolvane.wasm").read_bytes() + b"\0")}),
    ("the network lost", CHROMIUM, check_connection_lost,
     {"server": {"rate": 2_000, "slow": "tolvane.wasm"}}),
    ("offline, then a new version", CHROMIUM, check_update, {}),
]

if __name__ == "__main__":
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    run_cases("page", sys.argv[1], sys.argv[2] if len(sys.argv) == 3 else None, CASES)
    print("The web page holds on every host and line tried, offline, through updates and"
          " failed ones, and says why when it cannot work")
