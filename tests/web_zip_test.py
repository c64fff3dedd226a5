#!/usr/bin/python3
"""Tries the web archive as a user meets it, served on the loopback, in
Chromium and Firefox ESR at device pixel ratio 1 and 1.5, WebKit at 1:
the page titled "Tolvane", the window at its size, its colours in place
on the picture and every word whole; ticks by mouse and Space; the right
tables, copied and pasted by Ctrl+A, C and V; About and Help by Alt+S then
A or H, modal, closed by Enter (Firefox's automation acts on no Space or
Enter: there a click stands for Space and Escape closes); the keys back
where they were after a menu by mouse or keys, after Escape, a click
outside and a box, and Tab from the menu bar on from there; Tab from the PF2 box to
Clear Fields, whose Space clears; Alt+F then X ends Tolvane. The page's
helper, Page, and the other tests' runner, run_cases, are here too.
On a failure the page's picture is kept, in SCREENSHOT_DIR or else beside
the archive. WebKit needs an X display (xvfb-run).

Usage: web_zip_test.py ZIP [SCREENSHOT_DIR]
"""
import io
import os
import pathlib
import re
import subprocess
import sys
import tempfile
import time
import zipfile

from PIL import Image
from selenium.common.exceptions import WebDriverException
from selenium.webdriver.common.keys import Keys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "tools" / "web"))
from bidi import BidiError  # noqa: E402
from browser import CLIENT_SIZE, Server, open_browser  # noqa: E402

BACKGROUND = "000040"
# CSS pixels of the client area and the colour there: the first cells of
# each register, the background, the register labels and the notices.
SPOTS = [(16, 8, "ffff00"), (80, 8, "0000ff"), (208, 8, "ff0000"), (16, 120, "ffff00"),
         (2, 2, BACKGROUND), (350, 320, BACKGROUND), (56, 160, "ffff00"), (56, 200, "0000ff"),
         (56, 240, "ff0000"), (350, 275, "000000"), (210, 308, "000000")]
BOXES = {"PF0": "text3", "PF1": "play1", "PF2": "play2"}
CLEARED = "00, 00, 00, 00, 00, 00, 00, 00"
TABLES = {"PF0": "10, 00, 00, 00, 00, 00, 00, 00", "PF1": "C0, 00, 00, 00, 00, 00, 00, 00",
          "PF2": CLEARED}
ENDED = "Tolvane has ended. Reload the page to start it again."
# The version the build gives the archive.
VERSION = re.search(r"project\(tolvane VERSION ([0-9.]+)", (pathlib.Path(__file__).resolve()
                    .parent.parent / "CMakeLists.txt").read_text()).group(1)
# The boxes' words, to the space: About's two after the version, Help's
# trailing one.
PROMPTS = {"About Tolvane": f"Tolvane V{VERSION}  Atari 2600 playfield tables, bottom row first.",
           "Help": "Please read the readme.txt file found in the zipped archive. "}
# Each text of the window that does not show whole in its place, and each
# table box too narrow for eight bytes of the widest hex digit in its font.
CUT_WORDS = """
  const cut = [];
  for (const element of document.querySelectorAll(
      "#client .register, #client button, #client .notice, #menubar [role=menuitem]")) {
    if (element.offsetParent === null) continue;
    if (element.scrollWidth > element.clientWidth || element.scrollHeight > element.clientHeight)
      cut.push(element.id || element.textContent);
  }
  const probe = document.createElement("span");
  probe.style.cssText = "position: absolute; white-space: pre";
  document.body.append(probe);
  for (const box of document.querySelectorAll("#client .table")) {
    const style = getComputedStyle(box);
    probe.style.font = style.font;
    const widths = [..."0123456789ABCDEF"].map((digit) => {
      probe.textContent = Array(8).fill(digit + digit).join(", ");
      return probe.getBoundingClientRect().width;
    });
    const room = box.clientWidth - parseFloat(style.paddingLeft) - parseFloat(style.paddingRight);
    if (Math.max(...widths) > room) cut.push(box.id);
  }
  probe.remove();
  return cut;
"""


ONLY = re.compile(os.environ.get("TOLVANE_WEB_CASES", ""))  # the cases to run, by name


class Failure(Exception):
    pass


class Page:
    """The page in one engine at one ratio; its pictures go to shots."""

    def __init__(self, driver, ratio, engine, shots=None):
        self.driver = driver
        self.ratio = ratio
        self.engine = engine
        self.shots = shots

    def fail(self, label, failure, picture):
        """Keeps the page's picture and ends the test with the failure."""
        self.picture().save(picture)
        sys.exit(f"FAIL ({label}): {failure}\nThe page as it was: {picture}")

    def keep_picture(self, name):
        if self.shots:
            self.picture().save(self.shots / f"web-{self.engine}-{self.ratio}x-{name}.png")

    def picture(self, selector=None):
        """The page as drawn, or only where the element is (at ratio 1)."""
        picture = Image.open(io.BytesIO(self.driver.get_screenshot_as_png())).convert("RGB")
        left, top, width, height = self.rect(selector) if selector else (0, 0, 0, 0)
        return picture.crop((left, top, left + width, top + height)) if selector else picture

    def script(self, body):
        return self.driver.execute_script(body)

    def text(self):
        return self.script("return document.body.innerText")

    def wait_for(self, what, test, seconds=20, detail=lambda: ""):
        """Waits on what the page says; detail tells what it said last."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if test():
                return
            time.sleep(0.1)
        raise Failure(f"no {what} after {seconds} s {detail()}".rstrip())

    def rect(self, selector):
        """Where an element is, in CSS pixels of the viewport: left, top,
        width, height."""
        return self.script(f"""const box = document.querySelector({selector!r})
            ?.getBoundingClientRect(); return box && [box.left, box.top, box.width, box.height];""")

    def find_window(self):
        """Waits for the window, and for its script to have bound it."""
        self.wait_for("window at work", lambda: self.script(
            "return document.getElementById('frmtolvane')?.getAttribute('aria-busy')") == "false")

    def visit(self, url):
        """Goes to the address; a visit the browser refuses is a failure."""
        try:
            self.driver.get(url)
        except (WebDriverException, BidiError) as error:
            why = getattr(error, "msg", error)
            raise Failure(f"the browser refused the visit to {url}: {why}") from None

    def open(self, url):
        self.visit(url)
        self.find_window()

    def value(self, id_):
        return self.script(f"return document.getElementById({id_!r}).value")

    def focus(self, id_):
        self.script(f"document.getElementById({id_!r}).focus()")

    def menu(self):
        """The id of the menu's title whose menu is open, if any."""
        return self.script("return document.querySelector('[aria-expanded=true]')?.id ?? null")

    def device(self, x, y):
        """Device pixels of a CSS pixel of the client area."""
        left, top, _, _ = self.rect("#client")
        return int((left + x + 0.5) * self.ratio), int((top + y + 0.5) * self.ratio)

    def colour_at(self, picture, x, y):
        return "%02x%02x%02x" % picture.getpixel(self.device(x, y))

    def click(self, selector):
        """A mouse click in the middle of an element."""
        left, top, width, height = self.rect(selector)
        self.pointer("mouse", left + width / 2, top + height / 2)

    def pointer(self, kind, x, y):
        self.driver.perform({"type": "pointer", "id": kind, "parameters": {"pointerType": kind},
                             "actions": [{"type": "pointerMove", "origin": "viewport",
                                          "x": int(x), "y": int(y)},
                                         {"type": "pointerDown", "button": 0},
                                         {"type": "pointerUp", "button": 0}]})

    def keys(self, *keys):
        for key in keys:
            self._press([key], [key])

    def chord(self, modifier, key):
        self._press([modifier, key], [key, modifier])

    def _press(self, down, up):
        self.driver.perform({"type": "key", "id": "keyboard", "actions":
                             [{"type": "keyDown", "value": key} for key in down]
                             + [{"type": "keyUp", "value": key} for key in up]})

    def active(self):
        """The id of the control that has the keys."""
        return self.script("return document.activeElement.id")

    def ticked(self):
        return self.script("return [...document.querySelectorAll('#grid input:checked')]"
                           ".map((box) => box.id)")

    def dialog(self):
        """The title of the modal dialog open, if any."""
        return self.script("return document.querySelector('dialog[open] h2')?.textContent")

    def clipboard(self):
        """What the browser put on the clipboard: WebKit's pages may not read
        it without a user's gesture, so its is read from the X display."""
        if self.engine == "webkit":
            return subprocess.run(["xclip", "-selection", "clipboard", "-o"],
                                  capture_output=True, text=True, check=False).stdout
        return self.script("return navigator.clipboard.readText().catch(e => '! ' + e)")

    def set_clipboard(self, text):
        if self.engine == "webkit":
            subprocess.run(["xclip", "-selection", "clipboard"], input=text, text=True, check=True)
        else:
            self.script(f"return navigator.clipboard.writeText({text!r})")


def check_window(page):
    if page.driver.title != "Tolvane":
        raise Failure(f'the page is titled "{page.driver.title}"')
    page.find_window()
    size = page.rect("#client")[2:]
    if size != list(CLIENT_SIZE):
        raise Failure(f"the client area is {size[0]} x {size[1]} CSS pixels, not {CLIENT_SIZE}")

    def wrong():
        picture = page.picture()
        return [f"#{page.colour_at(picture, x, y)} at {x},{y}, not #{want}"
                for x, y, want in SPOTS if page.colour_at(picture, x, y) != want]
    page.wait_for("colours in place", lambda: not wrong(), 5, wrong)
    cut = page.script(CUT_WORDS)
    if cut:
        raise Failure(f"words not whole in {cut}")


def tables(page):
    """The tables as Ctrl+A and Ctrl+C put them on the clipboard."""
    read = {}
    for register, box in BOXES.items():
        page.set_clipboard("")
        page.click("#" + box)
        page.chord(Keys.CONTROL, "a")
        page.chord(Keys.CONTROL, "c")
        read[register] = page.clipboard()
    return read


def press_space(page):
    """Space on the control that has the keys. Firefox under automation acts
    on no Space or Enter it is sent (not even on a plain page's check box),
    as it does on a user's: there the Tab is proven and the control
    clicked."""
    if page.engine == "firefox":
        page.click("#" + page.active())
    else:
        page.keys(Keys.SPACE)


def close_key(page):
    """Enter closes a box; Escape in Firefox, for the reason above."""
    return Keys.ESCAPE if page.engine == "firefox" else Keys.ENTER


def check_tables(page):
    page.click("#Check141")
    page.click("#Check145")
    page.keys(Keys.TAB)
    press_space(page)
    page.click("#cmdcode")
    read = tables(page)
    if read != TABLES:
        raise Failure(f"the tables read {read}")
    page.set_clipboard("pasted")
    page.click("#play2")
    page.chord(Keys.CONTROL, "a")
    page.chord(Keys.CONTROL, "v")
    if tables(page)["PF2"] != "pasted":
        raise Failure("pasting pasted nothing into the PF2 box")


def check_box(page, keys, title):
    had_keys = page.active()
    page.chord(Keys.ALT, keys[0])
    page.keys(keys[1])
    page.wait_for(f'dialog "{title}"', lambda: page.dialog() == title, 5)
    prompt = page.script("return document.querySelector('dialog[open] .prompt').textContent")
    if prompt != PROMPTS[title]:
        raise Failure(f"the {title} box says {prompt!r}")
    page.keep_picture(title.replace(" ", "-"))
    before = page.ticked()
    page.click("#Check1")  # the window takes no click while the box is open
    page.keys(close_key(page))
    page.wait_for(f'"{title}" closed', lambda: page.dialog() is None, 5)
    if page.ticked() != before:
        raise Failure(f"a click under the {title} box reached the window")
    if page.active() != had_keys:
        raise Failure(f"the keys did not go back to {had_keys} when {title} closed")


def check_keys_go_back(page):
    """As on the desktop, the keys go back where they were once a menu has
    closed, however it was used."""
    def settings_help_by_mouse():
        page.click("#mnusettings")
        page.click("#mnuhelp")
        page.keys(close_key(page))

    roads = [("#play2", settings_help_by_mouse, "play2"),
             ("#play1", lambda: (page.chord(Keys.ALT, "s"), page.keys(Keys.ESCAPE, Keys.ESCAPE)),
              "play1"),
             ("#play1", lambda: (page.chord(Keys.ALT, "s"), page.keys(Keys.TAB)), "play2"),
             ("#play2", lambda: (page.click("#mnufile"), page.click("#Label4")), "play2")]
    for start, road, want in roads:
        page.click(start)
        road()
        page.wait_for(f"keys back on {want}", lambda: page.active() == want
                      and not page.dialog(), 5, lambda: f"(they are on {page.active()})")


def check_clear(page):
    page.click("#play2")
    page.keys(Keys.TAB)
    press_space(page)
    cleared = tables(page)
    if set(cleared.values()) != {CLEARED} or page.ticked():
        raise Failure(f"Tab and Space from the PF2 box did not clear: {cleared}, {page.ticked()}")


def check_exit(page):
    page.click("#Check1")
    page.chord(Keys.ALT, "f")
    page.keys("x")
    page.wait_for("word that Tolvane has ended", lambda: ENDED in page.text())


def run_cases(kind, archive, shots, cases):
    """Runs each case (name, engines, check, options) in each engine on a
    fresh copy of the archive's folder, served at an address of its own,
    in a fresh tab: what one case leaves in the browser's storage, service
    workers and emulations belongs to another site or another tab. Cases
    with the same engine, ratio and settings share a browser. Options:
    folder, a change to the folder; server, the Server's settings;
    settings, the browser's; ratio; before, what is set before
    check(page, server) visits."""
    archive = pathlib.Path(archive).resolve()
    shots = pathlib.Path(shots).resolve() if shots else None
    if shots:
        shots.mkdir(parents=True, exist_ok=True)
    browsers, ports = {}, set()

    def run(scratch, name, label, engine, check, options):
        folder = scratch / f"site-{label}"
        zipfile.ZipFile(archive).extractall(folder)
        # Dated ten seconds back: the server, as many hosts, tells a change
        # by its time in whole seconds, and a case's own changes come later.
        earlier = time.time() - 10
        for file in folder.rglob("*"):
            os.utime(file, (earlier, earlier))
        options.get("folder", lambda _: None)(folder)
        server = Server(folder, **options.get("server", {}))
        while server.port in ports:  # an earlier case's site, whose data the browser keeps
            server.stop()
            server = Server(folder, **options.get("server", {}))
        ports.add(server.port)
        ratio, settings = options.get("ratio", 1), options.get("settings")
        key = (engine, ratio, repr(settings))
        if key in browsers:
            browsers[key].new_tab()
        else:
            browsers[key] = open_browser(engine, scratch / f"profile-{label}", ratio, settings)
        page = Page(browsers[key], ratio, engine, shots)
        try:
            if engine == "chromium":
                page.driver.execute_cdp_cmd("Browser.grantPermissions", {
                    "origin": server.url.rstrip("/"),
                    "permissions": ["clipboardReadWrite", "clipboardSanitizedWrite"]})
            options.get("before", lambda _: None)(page)
            check(page, server)
        except Failure as failure:
            page.fail(f"{name}, {engine}", failure,
                      (shots or archive.parent) / f"web-{kind}-failed-{label}.png")
        finally:
            server.stop()

    with tempfile.TemporaryDirectory() as scratch:
        try:
            for number, (name, engines, check, options) in enumerate(cases):
                if ONLY.search(name):
                    for engine in engines:
                        run(pathlib.Path(scratch), name, f"{number:02}-{engine}", engine, check,
                            options)
                    print(f"   {name} ({', '.join(engines)}): right")
        finally:
            for driver in browsers.values():
                driver.quit()


def road(page, server):
    page.visit(server.url)
    check_window(page)
    page.keep_picture("window")
    check_tables(page)
    check_box(page, ("s", "a"), "About Tolvane")
    check_box(page, ("s", "h"), "Help")
    check_keys_go_back(page)
    page.keep_picture("tables")
    check_clear(page)
    check_exit(page)


if __name__ == "__main__":
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    run_cases("road", sys.argv[1], sys.argv[2] if len(sys.argv) == 3 else None, [
        ("the road at 1x", ("chromium", "firefox", "webkit"), road, {}),
        ("the road at 1.5x", ("chromium", "firefox"), road, {"ratio": 1.5})])
    print("The web archive works in Chromium and Firefox at 1x and 1.5x, and in WebKit: window,"
          " colours, words, tables, clipboard, About, Help, keys back, Clear Fields and Exit")
