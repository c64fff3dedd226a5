#!/usr/bin/python3
"""Tries the web archive, in Debian's headless Chromium, as the users meet
it whom the road of web_zip_test.py does not show:
- a screen reader, before any other input: every cell is a check box
  named as on the desktop, ticked or not, the boxes are named and read
  their tables, the buttons and menus are named;
- a Mac's keyboard (the page told it runs on a Mac, the keys sent as a
  Mac sends them): Option+letter outside a text box and Control+Option+
  letter anywhere open the menus and pick their items; in a box, Option
  types what the layout gives ("@" for Option+L on a German Mac); Cmd+A,
  Cmd+C and Cmd+V select, copy and paste;
- a Polish PC's AltGr+S (Ctrl+Alt+S, as Windows reports it) opens no menu
  and is left to the browser to type "ś";
- a tablet's finger: on a 1024 x 768 touch screen a cell is at least 32
  CSS pixels and the window whole on the screen; taps tick cells, press
  the buttons and open the menus; on a 390 x 844 phone the whole window
  is on the screen;
- a larger text size, a dark scheme and forced colours: the window grows
  with the text and every word shows whole; the page around it turns
  dark; a ticked cell still looks other than a clear one;
- a command that fails part-way (a cell's check box gone): the run-time
  error box shows, what was written stays, and the page goes on.
On a failure the page's picture is kept, in SCREENSHOT_DIR or else beside
the archive.

Usage: web_users_test.py ZIP [SCREENSHOT_DIR]
"""
import io
import pathlib
import re
import sys
import tempfile
import time
import zipfile

from PIL import Image

from web_zip_test import CLEARED, CUT_WORDS, ENDED, Failure, Page

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "tools" / "web"))
from browser import CLIENT_SIZE, serve  # noqa: E402

MAC = {"userAgent": "Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_7) AppleWebKit/537.36"
                    " (KHTML, like Gecko) Chrome/156.0.0.0 Safari/537.36",
       "platform": "MacIntel",
       "userAgentMetadata": {"platform": "macOS", "platformVersion": "15.0.0",
                             "architecture": "arm", "model": "", "mobile": False}}
# What a Mac's US layout types for Option and each access key of the menus.
OPTION = {"f": "ƒ", "x": "≈", "s": "ß", "a": "å", "h": "˙"}
# CDP's modifier bits.
ALT, CTRL, META = 1, 2, 4
CELL_NAME = re.compile(r"Row [1-8], column ([1-9]|1[0-9]|20): PF[0-2] bit [0-7]")
PF0_TABLE = "10, 00, 00, 00, 00, 00, 00, 00"


def key(page, key_name, code, modifiers=0, text=None, commands=None):
    """One key pressed and let go, as the browser gets it from the system."""
    down = {"type": "keyDown" if text else "rawKeyDown", "key": key_name, "code": code,
            "modifiers": modifiers,
            "windowsVirtualKeyCode": ord(code[-1]) if code.startswith("Key") else 13}
    if text:
        down["text"] = text
    if commands:
        down["commands"] = commands
    page.driver.execute_cdp_cmd("Input.dispatchKeyEvent", down)
    page.driver.execute_cdp_cmd("Input.dispatchKeyEvent", {
        "type": "keyUp", "key": key_name, "code": code, "modifiers": modifiers})
    time.sleep(0.2)


def enter(page):
    key(page, "Enter", "Enter", text="\r")


def box(page, id_):
    return page.script(f"return document.getElementById({id_!r}).value")


def focus(page, id_):
    page.script(f"document.getElementById({id_!r}).focus()")


def wait_for_box(page, title, shown=True):
    page.wait_for(f'box "{title}" {"open" if shown else "closed"}',
                  lambda: (page.dialog() == title) == shown, 5)


def accessible(page):
    """Chromium's accessibility tree: role, name, value and whether ticked,
    of each node a screen reader meets."""
    found = []
    for node in page.driver.execute_cdp_cmd("Accessibility.getFullAXTree", {})["nodes"]:
        if node.get("ignored"):
            continue
        properties = {item["name"]: item["value"].get("value")
                      for item in node.get("properties", [])}
        found.append((node.get("role", {}).get("value"), node.get("name", {}).get("value", ""),
                      node.get("value", {}).get("value"), properties.get("checked")))
    return found


def check_screen_reader(page):
    page.find_window()
    nodes = accessible(page)
    cells = [name for role, name, _, _ in nodes if role == "checkbox"]
    if len(set(cells)) != 160 or not all(CELL_NAME.fullmatch(name) for name in cells):
        raise Failure(f"{len(set(cells))} named check boxes before any input: {cells[:3]}...")
    page.click("#Check141")
    page.click("#cmdcode")
    nodes = accessible(page)
    ticked = [name for role, name, _, checked in nodes if role == "checkbox" and checked == "true"]
    if ticked != ["Row 8, column 1: PF0 bit 4"]:
        raise Failure(f"the check boxes ticked: {ticked}")
    boxes = {name: value for role, name, value, _ in nodes if role == "textbox"}
    want = {"PF0 table": PF0_TABLE, "PF1 table": CLEARED, "PF2 table": CLEARED}
    if boxes != want:
        raise Failure(f"the boxes read {boxes}")
    names = {(role, name) for role, name, _, _ in nodes}
    for want in (("button", "Create Code"), ("button", "Clear Fields"), ("menubar", "Tolvane"),
                 ("menuitem", "File"), ("menuitem", "Settings")):
        if want not in names:
            raise Failure(f"no {want[0]} named {want[1]!r}")


def option(page, letter, control=False):
    """Option and a letter (with Control), as a Mac's US layout sends it."""
    key(page, "Dead" if letter == "e" else OPTION.get(letter, letter), f"Key{letter.upper()}",
        ALT | (CTRL if control else 0), None if control else OPTION.get(letter))


def check_mac(page):
    page.driver.execute_cdp_cmd("Emulation.setUserAgentOverride", MAC)
    page.driver.get(page.driver.current_url)
    page.find_window()
    page.click("#Check141")
    for letter, title in (("a", "About Tolvane"), ("h", "Help")):
        option(page, "s")  # on a check box: Option opens the menu
        option(page, letter)
        wait_for_box(page, title)
        enter(page)
        wait_for_box(page, title, shown=False)
    # In a box Option types the layout's characters, Control+Option opens.
    focus(page, "text3")
    key(page, "@", "KeyL", ALT, "@")  # a German Mac's Option+L
    if box(page, "text3") != "@" or page.script("return document.querySelector("
                                                "'[aria-expanded=true]')") is not None:
        raise Failure(f"Option+L in the PF0 box gave {box(page, 'text3')!r}, not '@'")
    option(page, "s", control=True)
    option(page, "a", control=True)
    wait_for_box(page, "About Tolvane")
    enter(page)
    wait_for_box(page, "About Tolvane", shown=False)
    focus(page, "cmdcode")
    key(page, " ", "Space", text=" ")
    focus(page, "text3")
    key(page, "a", "KeyA", META, commands=["selectAll"])
    key(page, "c", "KeyC", META, commands=["copy"])
    focus(page, "play2")
    key(page, "a", "KeyA", META, commands=["selectAll"])
    key(page, "v", "KeyV", META, commands=["paste"])
    if box(page, "play2") != PF0_TABLE:
        raise Failure(f"Cmd+A, C and V copied {box(page, 'play2')!r} into the PF2 box")
    option(page, "f", control=True)
    option(page, "x", control=True)
    page.wait_for("word that Tolvane has ended", lambda: ENDED in page.text())


def check_altgr(page):
    """Windows reports AltGr as Ctrl+Alt. Chromium on Linux inserts no text
    for Ctrl+Alt (Linux has AltGr of its own), so what is proven here is
    the page's part: it takes no such key for an access key and leaves it
    to the browser to type."""
    page.find_window()
    page.script("""window.keysLeft = [];
        document.addEventListener("keydown", (event) => keysLeft.push(!event.defaultPrevented));""")
    focus(page, "text3")
    key(page, "ś", "KeyS", ALT | CTRL, "ś")  # a Polish PC's AltGr+S
    if page.script("return keysLeft") != [True] or page.script(
            "return document.querySelector('[aria-expanded=true]')") is not None:
        raise Failure("AltGr+S in the PF0 box was taken for Alt+S")


def tap(page, selector):
    left, top, width, height = page.rect(selector)
    point = {"x": left + width / 2, "y": top + height / 2}
    for kind, points in (("touchStart", [point]), ("touchEnd", [])):
        page.driver.execute_cdp_cmd("Input.dispatchTouchEvent",
                                    {"type": kind, "touchPoints": points})
    time.sleep(0.3)


def on_touch_screen(page, width, height):
    """The window whole on the screen; returns the CSS pixels from one
    cell to the next."""
    page.find_window()
    left, top, right, bottom, view_width, view_height = page.script("""
        const box = document.getElementById("frmtolvane").getBoundingClientRect();
        return [box.left, box.top, box.right, box.bottom, innerWidth, innerHeight];""")
    if (view_width, view_height) != (width, height):
        raise Failure(f"the screen is {view_width} x {view_height}, not {width} x {height}")
    if left < 0 or top < 0 or right > width or bottom > height:
        raise Failure(f"the window ({left:.0f}, {top:.0f}) to ({right:.0f}, {bottom:.0f})"
                      f" is not whole on the {width} x {height} screen")
    return page.rect("#Check2")[0] - page.rect("#Check1")[0]


def check_tablet(page):
    pitch = on_touch_screen(page, 1024, 768)
    if pitch < 32:
        raise Failure(f"a cell is {pitch:.1f} CSS pixels on a 1024 x 768 touch screen, not 32")
    for selector in ("#Check141", "#Check145", "#cmdcode"):
        tap(page, selector)
    tables = [box(page, id_) for id_ in ("text3", "play1", "play2")]
    if tables != [PF0_TABLE, "80, 00, 00, 00, 00, 00, 00, 00", CLEARED]:
        raise Failure(f"after taps the tables read {tables}")
    tap(page, "#mnusettings")
    tap(page, "#mnuabout")
    wait_for_box(page, "About Tolvane")
    enter(page)
    wait_for_box(page, "About Tolvane", shown=False)
    tap(page, "#clrfield")
    if {box(page, id_) for id_ in ("text3", "play1", "play2")} != {CLEARED}:
        raise Failure("a tap on Clear Fields did not clear the tables")
    print(f"      a cell is {pitch:.0f} CSS pixels")


def check_phone(page):
    print(f"      a cell is {on_touch_screen(page, 390, 844):.0f} CSS pixels")


def check_text_size(page):
    """The system's text size is the browser's: the page's rem."""
    page.find_window()
    for pixels in (20, 24):
        page.script(f"document.documentElement.style.fontSize = '{pixels}px'")
        width = page.rect("#client")[2]
        if abs(width - CLIENT_SIZE[0] * pixels / 16) > 0.5:
            raise Failure(f"at a text size of {pixels} px the window is {width} wide")
        cut = page.script(CUT_WORDS)
        if cut:
            raise Failure(f"at a text size of {pixels} px words are cut in {cut}")


def picture_of(page, selector):
    left, top, width, height = page.rect(selector)
    whole = Image.open(io.BytesIO(page.driver.get_screenshot_as_png())).convert("RGB")
    return whole.crop((int(left), int(top), int(left + width), int(top + height)))


def check_schemes(page):
    page.find_window()
    grounds = []
    for scheme in ("light", "dark"):
        page.driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {
            "features": [{"name": "prefers-color-scheme", "value": scheme}]})
        grounds.append(page.script("return getComputedStyle(document.body).backgroundColor"))
    if grounds[0] == grounds[1]:
        raise Failure(f"the page around the window is {grounds[0]} in light and dark alike")
    page.click("#Check141")
    page.driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {
        "features": [{"name": "forced-colors", "value": "active"}]})
    time.sleep(0.3)
    if picture_of(page, "#Check141").tobytes() == picture_of(page, "#Check142").tobytes():
        raise Failure("in forced colours a ticked cell looks as a clear one")


def check_fault(page):
    page.find_window()
    page.click("#Check141")
    page.script("document.getElementById('Check77').remove()")
    for _ in range(2):  # the second time, from a page that went on
        page.click("#cmdcode")
        wait_for_box(page, "Tolvane")
        prompt = page.script("return document.querySelector('dialog[open] .prompt').textContent")
        if prompt != "Run-time error: Check77 is gone":
            raise Failure(f"the error box says {prompt!r}")
        enter(page)
        wait_for_box(page, "Tolvane", shown=False)
    # Check77 is row 4's PF2 high digit: the PF2 table stops there.
    tables = [box(page, id_) for id_ in ("text3", "play1", "play2")]
    if tables != [PF0_TABLE, CLEARED, "00, 00, 00, 00, "]:
        raise Failure(f"after the failure the tables read {tables}")


def touch_screen(width, height, dpr):
    def prepare(page):
        page.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": width, "height": height, "deviceScaleFactor": dpr, "mobile": True})
        page.driver.execute_cdp_cmd("Emulation.setTouchEmulationEnabled",
                                    {"enabled": True, "maxTouchPoints": 5})
    return prepare


def main(archive, shots):
    archive = pathlib.Path(archive).resolve()
    shots = pathlib.Path(shots).resolve() if shots else None
    with tempfile.TemporaryDirectory() as scratch:
        scratch = pathlib.Path(scratch)
        site = scratch / "site"
        zipfile.ZipFile(archive).extractall(site)
        url = serve(site)
        cases = [("a screen reader", None, check_screen_reader),
                 ("a Mac's keys", None, check_mac),
                 ("AltGr on a Polish PC", None, check_altgr),
                 ("a tablet", touch_screen(1024, 768, 2), check_tablet),
                 ("a phone", touch_screen(390, 844, 3), check_phone),
                 ("a larger text size", None, check_text_size),
                 ("dark and forced colours", None, check_schemes),
                 ("a failing command", None, check_fault)]
        for number, (name, prepare, check) in enumerate(cases):
            page = Page(None, 1, scratch / f"profile-{number}")
            try:
                page.driver.execute_cdp_cmd("Browser.grantPermissions", {
                    "origin": url.rstrip("/"),
                    "permissions": ["clipboardReadWrite", "clipboardSanitizedWrite"]})
                if prepare:
                    prepare(page)
                page.driver.get(url)
                check(page)
            except Failure as failure:
                page.fail(name, failure, (shots or archive.parent) / f"web-users-failed-{number}.png")
            finally:
                page.close()
            print(f"   {name}: right")
    print("The web page serves a screen reader, a Mac, AltGr, a tablet, a phone, larger text,"
          " dark and forced colours, and goes on after a failing command")


if __name__ == "__main__":
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2] if len(sys.argv) == 3 else None)
