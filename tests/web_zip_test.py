#!/usr/bin/python3
"""Tries the web archive as a user meets it: unzipped, served by a plain
static server on the loopback and opened in each engine: Debian's
Chromium and Firefox ESR at device pixel ratio 1 and 1.5, WebKit at 1.
The page must be titled "Tolvane" and show the window, at its own size
times the ratio, with its colours in place and its title in the page's
sans-serif face; cells tick by mouse and by Space; Create Code writes the
right tables, which Ctrl+C puts on the browser's clipboard, and Ctrl+V
pastes from it; About and Help open modal boxes (a click on a cell
changes nothing while one is open) that Enter closes; Tab leads from the
PF2 box to Clear Fields, whose Space clears the tables; Exit ends Tolvane
and the page says so.
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

BACKGROUND = (0x00, 0x00, 0x40)
# Logical pixels of the client area below the menu bar, and the colour
# there: the corners of the first cells of each register, the background,
# the register labels and the notices.
SPOTS = [(16, 8, "ffff00"), (80, 8, "0000ff"), (208, 8, "ff0000"), (16, 120, "ffff00"),
         (2, 2, "000040"), (350, 320, "000040"), (56, 160, "ffff00"), (56, 200, "0000ff"),
         (56, 240, "ff0000"), (350, 275, "000000"), (210, 308, "000000")]
CHECK_141, CHECK_145, CREATE_CODE = (31, 127), (95, 127), (276, 160)
CHECK_1 = (31, 15)
BOXES = {"PF0": (144, 160), "PF1": (144, 200), "PF2": (144, 240)}
CLEARED = "00, 00, 00, 00, 00, 00, 00, 00"
TABLES = {"PF0": "10, 00, 00, 00, 00, 00, 00, 00", "PF1": "C0, 00, 00, 00, 00, 00, 00, 00",
          "PF2": CLEARED}
# Every text on the page, the window titles Qt draws in its shadow DOM too.
PAGE_TEXT = """
  const texts = [];
  const walk = (node) => {
    if (node.shadowRoot) walk(node.shadowRoot);
    for (const child of node.children || []) walk(child);
    if (node.nodeType === 1 && node.offsetParent !== null && node.childElementCount === 0)
      texts.push(node.textContent);
  };
  walk(document.body);
  return texts.join("\\n");
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
        self.corner = None
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

    def text(self):
        return self.driver.execute_script(PAGE_TEXT)

    def wait_for(self, what, test, seconds=20):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if test():
                return
            time.sleep(0.1)
        raise Failure(f"no {what} after {seconds} s")

    def find_window(self):
        """The client area's top-left corner, in device pixels: where the
        window's dark blue background starts, in a run as wide as the
        client area (the icon in the title bar has some dark blue too)."""
        run = int(CLIENT_SIZE[0] * self.ratio) - 2

        def found():
            picture = self.picture()
            width, height = picture.size
            pixels = picture.load()
            for y in range(height):
                x = 0
                while x < width:
                    if pixels[x, y] != BACKGROUND:
                        x += 1
                        continue
                    start = x
                    while x < width and pixels[x, y] == BACKGROUND:
                        x += 1
                    if x - start >= run:
                        self.corner = (start, y)
                        return True
            return False
        self.wait_for("dark blue window", found)

    def device(self, x, y):
        return (self.corner[0] + int((x + 0.5) * self.ratio),
                self.corner[1] + int((y + 0.5) * self.ratio))

    def colour_at(self, picture, x, y):
        return "%02x%02x%02x" % picture.getpixel(self.device(x, y))

    def click(self, x, y):
        device_x, device_y = self.device(x, y)
        self.driver.perform({"type": "pointer", "id": "mouse",
                             "parameters": {"pointerType": "mouse"},
                             "actions": [{"type": "pointerMove", "origin": "viewport",
                                          "x": int(device_x / self.ratio),
                                          "y": int(device_y / self.ratio)},
                                         {"type": "pointerDown", "button": 0},
                                         {"type": "pointerUp", "button": 0}]})
        time.sleep(0.3)

    def keys(self, *keys):
        for key in keys:
            self._press([key], [key])

    def chord(self, modifier, key):
        self._press([modifier, key], [key, modifier])

    def _press(self, down, up):
        self.driver.perform({"type": "key", "id": "keyboard", "actions":
                             [{"type": "keyDown", "value": key} for key in down]
                             + [{"type": "keyUp", "value": key} for key in up]})
        time.sleep(0.3)

    def clipboard(self):
        """What the browser put on the clipboard: WebKit's pages may not read
        it without a user's gesture, so its is read from the X display."""
        if self.engine == "webkit":
            return subprocess.run(["xclip", "-selection", "clipboard", "-o"],
                                  capture_output=True, text=True, check=False).stdout
        return self.driver.execute_script(
            "return navigator.clipboard.readText().catch(e => '! ' + e)")

    def set_clipboard(self, text):
        if self.engine == "webkit":
            subprocess.run(["xclip", "-selection", "clipboard"], input=text, text=True, check=True)
        else:
            self.driver.execute_script(f"return navigator.clipboard.writeText({text!r})")


# The rendered width of the window's title against the same text in the
# page's sans-serif and serif faces, at the title's size.
TITLE_WIDTHS = """
  const name = [...document.querySelectorAll("*")].map((host) => host.shadowRoot)
      .filter(Boolean).map((root) => root.querySelector(".window-name")).find(Boolean);
  const width = (node) => node.getBoundingClientRect().width;
  const range = document.createRange();
  range.selectNodeContents(name);
  const widths = [range.getBoundingClientRect().width];
  for (const face of ["sans-serif", "serif"]) {
    const probe = document.createElement("span");
    probe.style.cssText = `position: absolute; white-space: nowrap; font-family: ${face};` +
                          `font-size: ${getComputedStyle(name).fontSize}`;
    probe.textContent = name.textContent;
    document.body.append(probe);
    widths.push(width(probe));
    probe.remove();
  }
  return widths;
"""


def check_window(page):
    if page.driver.title != "Tolvane":
        raise Failure(f'the page is titled "{page.driver.title}"')
    page.find_window()
    title, sans_serif, serif = page.driver.execute_script(TITLE_WIDTHS)
    if abs(title - sans_serif) > 0.5 or abs(sans_serif - serif) < 0.5:
        raise Failure(f"the window's title is {title:.1f} pixels wide, in sans-serif"
                      f" {sans_serif:.1f}, in serif {serif:.1f}: not the page's sans-serif")
    picture = page.picture()
    for x, y, want in SPOTS:
        got = page.colour_at(picture, x, y)
        if got != want:
            raise Failure(f"#{got} at {x},{y}, not #{want}")
    # The window's own size, times the ratio: its background ends there.
    right = page.device(CLIENT_SIZE[0] - 1, 2)
    beyond = page.device(CLIENT_SIZE[0] + 1, 2)
    if picture.getpixel(right) != BACKGROUND or picture.getpixel(beyond) == BACKGROUND:
        raise Failure(f"the client area is not {CLIENT_SIZE[0]} pixels wide at {page.ratio}x")


def ctrl(page, letter):
    page.chord(Keys.CONTROL, letter)


def tables(page, shortcut=ctrl):
    """The tables as select-all and copy (shortcut presses them: Ctrl+A
    and Ctrl+C on a PC) put them on the clipboard."""
    read = {}
    for register, (x, y) in BOXES.items():
        page.set_clipboard("")
        page.click(x, y)
        shortcut(page, "a")
        shortcut(page, "c")
        read[register] = page.clipboard()
    return read


def check_tables(page, shortcut=ctrl):
    page.click(*CHECK_141)
    page.click(*CHECK_145)
    page.keys(Keys.TAB, Keys.SPACE)
    page.click(*CREATE_CODE)
    read = tables(page, shortcut)
    if read != TABLES:
        raise Failure(f"the tables read {read}")
    # Paste puts the browser's clipboard into a box.
    page.set_clipboard("pasted")
    page.click(*BOXES["PF2"])
    shortcut(page, "a")
    shortcut(page, "v")
    if tables(page, shortcut)["PF2"] != "pasted":
        raise Failure("pasting pasted nothing into the PF2 box")


def check_box(page, keys, title, shots):
    page.chord(Keys.ALT, keys[0])
    page.keys(keys[1])
    page.wait_for(f'box titled "{title}"', lambda: title in page.text().split("\n"), 5)
    if shots:
        name = title.replace(" ", "-")
        page.picture().save(shots / f"web-{page.engine}-{page.ratio}x-{name}.png")
    page.click(*CHECK_1)  # the window takes no click while the box is open
    page.keys(Keys.ENTER)
    page.wait_for(f'"{title}" closed', lambda: title not in page.text().split("\n"), 5)
    page.click(*CREATE_CODE)
    if tables(page) != TABLES:
        raise Failure(f"a click under the {title} box reached the window")


def check_clear(page):
    page.click(*BOXES["PF2"])
    page.keys(Keys.TAB, Keys.SPACE)
    cleared = tables(page)
    if set(cleared.values()) != {CLEARED}:
        raise Failure(f"Tab and Space from the PF2 box did not clear the tables: {cleared}")


def check_exit(page):
    page.chord(Keys.ALT, "f")
    page.keys("x")
    page.wait_for("word that Tolvane has ended",
                  lambda: "Tolvane has ended. Reload the page to start it again." in page.text())


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
                print(f"   {engine} at {ratio}x: window, colours, tables, clipboard, About, Help,"
                      " Clear Fields and Exit: right")
    print("The web archive works in Chromium and Firefox at 1x and 1.5x, and in WebKit")


if __name__ == "__main__":
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2] if len(sys.argv) == 3 else None)
