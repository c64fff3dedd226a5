#!/usr/bin/python3
"""Tries the web archive as a user meets it: unzipped, served by a plain
static server on the loopback and opened in each engine: Debian's
Chromium and Firefox ESR at device pixel ratio 1 and 1.5, WebKit at 1.
The page must be titled "Tolvane" and show the window at its own size
times the ratio, its colours in place on the rendered picture and every
word whole; cells tick by mouse and by Space; Create Code writes the right
tables, which Ctrl+A and Ctrl+C put on the browser's clipboard, and
Ctrl+V pastes from it; About and Help open by Alt+S then A or H as modal
dialogs (a click on a cell changes nothing while one is open) that Enter
closes (Firefox's automation acts on no Space or Enter: there a click
stands for Space and Escape closes); Tab leads from the PF2 box to Clear Fields, whose Space clears the
tables; Alt+F then X ends Tolvane and the page says so.
On a failure the page's picture is kept, in SCREENSHOT_DIR or else beside
the archive. WebKit needs an X display (xvfb-run).

Usage: web_zip_test.py ZIP [SCREENSHOT_DIR]
"""
import io
import pathlib
import subprocess
import sys
import tempfile
import time
import zipfile

from PIL import Image
from selenium.webdriver.common.keys import Keys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "tools" / "web"))
from browser import CLIENT_SIZE, open_browser, serve  # noqa: E402

BACKGROUND = "000040"
# CSS pixels of the client area below the menu bar, and the colour there:
# the corners of the first cells of each register, the background, the
# register labels and the notices.
SPOTS = [(16, 8, "ffff00"), (80, 8, "0000ff"), (208, 8, "ff0000"), (16, 120, "ffff00"),
         (2, 2, BACKGROUND), (350, 320, BACKGROUND), (56, 160, "ffff00"), (56, 200, "0000ff"),
         (56, 240, "ff0000"), (350, 275, "000000"), (210, 308, "000000")]
BOXES = {"PF0": "text3", "PF1": "play1", "PF2": "play2"}
CLEARED = "00, 00, 00, 00, 00, 00, 00, 00"
TABLES = {"PF0": "10, 00, 00, 00, 00, 00, 00, 00", "PF1": "C0, 00, 00, 00, 00, 00, 00, 00",
          "PF2": CLEARED}
ENDED = "Tolvane has ended. Reload the page to start it again."
# The boxes' words, to the space: About's two after the version, Help's
# trailing one.
PROMPTS = {"About Tolvane": "Tolvane V1.3  Atari 2600 playfield tables, bottom row first.",
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


class Failure(Exception):
    pass


class Page:
    """The page in one engine at one device pixel ratio (opened at once
    when given its address)."""

    def __init__(self, url, ratio, profile, engine="chromium"):
        self.ratio = ratio
        self.engine = engine
        self.driver = open_browser(engine, profile, ratio)
        if url:
            if engine == "chromium":
                self.driver.execute_cdp_cmd("Browser.grantPermissions", {
                    "origin": url.rstrip("/"),
                    "permissions": ["clipboardReadWrite", "clipboardSanitizedWrite"]})
            self.driver.get(url)

    def close(self):
        self.driver.quit()

    def fail(self, label, failure, picture):
        """Keeps the page's picture and ends the test with the failure."""
        self.picture().save(picture)
        sys.exit(f"FAIL ({label}): {failure}\nThe page as it was: {picture}")

    def picture(self):
        return Image.open(io.BytesIO(self.driver.get_screenshot_as_png())).convert("RGB")

    def script(self, body, *args):
        return self.driver.execute_script(body, *args)

    def text(self):
        return self.script("return document.body.innerText")

    def wait_for(self, what, test, seconds=20):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if test():
                return
            time.sleep(0.1)
        raise Failure(f"no {what} after {seconds} s")

    def rect(self, selector):
        """Where an element is, in CSS pixels of the viewport: left, top,
        width, height."""
        return self.script(f"""const box = document.querySelector({selector!r})
            ?.getBoundingClientRect(); return box && [box.left, box.top, box.width, box.height];""")

    def find_window(self):
        """Waits for the window, and for its script to have bound it."""
        self.wait_for("window at work", lambda: self.script(
            "return document.getElementById('frmtolvane')?.getAttribute('aria-busy')") == "false")

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
        time.sleep(0.2)

    def keys(self, *keys):
        for key in keys:
            self._press([key], [key])

    def chord(self, modifier, key):
        self._press([modifier, key], [key, modifier])

    def _press(self, down, up):
        self.driver.perform({"type": "key", "id": "keyboard", "actions":
                             [{"type": "keyDown", "value": key} for key in down]
                             + [{"type": "keyUp", "value": key} for key in up]})
        time.sleep(0.2)

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
    wrong = []

    def in_place():
        picture = page.picture()
        wrong[:] = [f"#{page.colour_at(picture, x, y)} at {x},{y}, not #{want}"
                    for x, y, want in SPOTS if page.colour_at(picture, x, y) != want]
        return not wrong
    try:
        page.wait_for("colours in place", in_place, 5)
    except Failure:
        raise Failure("; ".join(wrong)) from None
    cut = page.script(CUT_WORDS)
    if cut:
        raise Failure(f"words not whole in {cut}")


def ctrl(page, letter):
    page.chord(Keys.CONTROL, letter)


def tables(page, shortcut=ctrl):
    """The tables as select-all and copy (shortcut presses them: Ctrl+A
    and Ctrl+C on a PC) put them on the clipboard."""
    read = {}
    for register, box in BOXES.items():
        page.set_clipboard("")
        page.click("#" + box)
        shortcut(page, "a")
        shortcut(page, "c")
        read[register] = page.clipboard()
    return read


def press_space(page):
    """Space on the control that has the keys. Firefox under automation acts
    on no Space or Enter it is sent (not even on a plain page's check box),
    as it does on a user's: there the Tab is proven and the control
    clicked."""
    if page.engine == "firefox":
        page.click("#" + page.script("return document.activeElement.id"))
    else:
        page.keys(Keys.SPACE)


def close_key(page):
    """Enter closes a box; Escape in Firefox, for the reason above."""
    return Keys.ESCAPE if page.engine == "firefox" else Keys.ENTER


def check_tables(page, shortcut=ctrl):
    page.click("#Check141")
    page.click("#Check145")
    page.keys(Keys.TAB)
    press_space(page)
    page.click("#cmdcode")
    read = tables(page, shortcut)
    if read != TABLES:
        raise Failure(f"the tables read {read}")
    page.set_clipboard("pasted")
    page.click("#play2")
    shortcut(page, "a")
    shortcut(page, "v")
    if tables(page, shortcut)["PF2"] != "pasted":
        raise Failure("pasting pasted nothing into the PF2 box")


def check_box(page, keys, title, shots):
    had_keys = page.script("return document.activeElement.id")
    page.chord(Keys.ALT, keys[0])
    page.keys(keys[1])
    page.wait_for(f'dialog "{title}"', lambda: page.dialog() == title, 5)
    prompt = page.script("return document.querySelector('dialog[open] .prompt').textContent")
    if prompt != PROMPTS[title]:
        raise Failure(f"the {title} box says {prompt!r}")
    if shots:
        name = title.replace(" ", "-")
        page.picture().save(shots / f"web-{page.engine}-{page.ratio}x-{name}.png")
    before = page.ticked()
    page.click("#Check1")  # the window takes no click while the box is open
    page.keys(close_key(page))
    page.wait_for(f'"{title}" closed', lambda: page.dialog() is None, 5)
    if page.ticked() != before:
        raise Failure(f"a click under the {title} box reached the window")
    if page.script("return document.activeElement.id") != had_keys:
        raise Failure(f"the keys did not go back to {had_keys} when {title} closed")


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


# Each engine, at the device pixel ratios it is tried at.
RATIOS = {"chromium": (1, 1.5), "firefox": (1, 1.5), "webkit": (1,)}


def main(archive, shots):
    archive = pathlib.Path(archive).resolve()
    shots = pathlib.Path(shots).resolve() if shots else None
    if shots:
        shots.mkdir(parents=True, exist_ok=True)
    with tempfile.TemporaryDirectory() as scratch:
        folder = pathlib.Path(scratch) / "site"
        zipfile.ZipFile(archive).extractall(folder)
        url = serve(folder)
        for engine, ratios in RATIOS.items():
            for ratio in ratios:
                label = f"{engine}-{ratio}x"
                page = Page(url, ratio, pathlib.Path(scratch) / f"profile-{label}", engine)
                try:
                    check_window(page)
                    if shots:
                        page.picture().save(shots / f"web-{label}.png")
                    check_tables(page)
                    check_box(page, ("s", "a"), "About Tolvane", shots)
                    check_box(page, ("s", "h"), "Help", shots)
                    if shots:
                        page.picture().save(shots / f"web-{label}-tables.png")
                    check_clear(page)
                    check_exit(page)
                except Failure as failure:
                    page.fail(label, failure, (shots or archive.parent) / f"web-{label}-failed.png")
                finally:
                    page.close()
                print(f"   {engine} at {ratio}x: window, colours, words, tables, clipboard, About,"
                      " Help, Clear Fields and Exit: right")
    print("The web archive works in Chromium and Firefox at 1x and 1.5x, and in WebKit")


if __name__ == "__main__":
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2] if len(sys.argv) == 3 else None)
