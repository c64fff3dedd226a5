#!/usr/bin/python3
"""Tries the web archive, in Debian's headless Chromium, as the users meet
it whom the desktop's test never sees:
- a Mac's keyboard (the page told it runs on a Mac, the keys sent as a
  Mac sends them): Option+letter opens each menu and picks each item as
  Alt+letter does elsewhere, a dead key's letter too; Cmd+A, Cmd+C and
  Cmd+V select, copy and paste in the boxes;
- a tablet's finger: on a 1024 x 768 touch screen (device pixel ratio 2)
  a cell is at least 32 CSS pixels and the window on the screen; taps
  tick cells, press the buttons and open the menus; on a 390 x 844 phone
  (3) the whole window is on the screen;
- a screen reader, once the user turns Qt's support on: every cell is a
  check box named as on the desktop, ticked or not, and the buttons, the
  boxes with their tables and the menus are named;
- a command that throws (the window of FAULT_DIR, whose Check77 is gone):
  the run-time error box shows and the page goes on.
On a failure the page's picture is kept, in SCREENSHOT_DIR or else beside
the archive.

Usage: web_users_test.py ZIP FAULT_DIR [SCREENSHOT_DIR]
"""
import pathlib
import re
import sys
import tempfile
import time
import zipfile

from selenium.webdriver.common.keys import Keys

from web_zip_test import (BOXES, CHECK_141, CLEARED, CREATE_CODE, TABLES, Failure, Page,
                          check_tables)

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "tools" / "web"))
from browser import CLIENT_SIZE, serve  # noqa: E402

MAC = {"userAgent": "Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_7) AppleWebKit/537.36"
                    " (KHTML, like Gecko) Chrome/156.0.0.0 Safari/537.36",
       "platform": "MacIntel"}
# What a Mac's US layout types for Option and each access key of the menus.
OPTION = {"f": "ƒ", "x": "≈", "s": "ß", "a": "å", "h": "˙"}
# The editing command a Mac's browser runs for Cmd and a letter.
EDITING = {"a": "selectAll", "c": "copy", "v": "paste"}
CELL = 16  # logical pixels from one cell to the next
# Where a finger taps: the middle of the bottom row's first PF0 and PF1
# cells, the Settings menu's title and its first item.
TAP_141, TAP_145 = (24, 127), (88, 127)
MENU_SETTINGS, FIRST_ITEM = (83, -12), (100, 12)


def key_event(page, kind, key, code, modifiers, text=None, commands=None):
    event = {"type": kind, "key": key, "code": code, "modifiers": modifiers,
             "windowsVirtualKeyCode": ord(code[-1]) if code.startswith("Key") else 0}
    if text:
        event["text"] = text
    if commands:
        event["commands"] = commands
    page.driver.execute_cdp_cmd("Input.dispatchKeyEvent", event)


def option(page, *letters, dead=""):
    """Option held through letters as a Mac sends them: each the character
    it types, or a dead key (those in dead), with the letter's place as
    its code."""
    key_event(page, "rawKeyDown", "Alt", "AltLeft", 1)
    for letter in letters:
        code = "Key" + letter.upper()
        key = "Dead" if letter in dead else OPTION[letter]
        key_event(page, "keyDown", key, code, 1, text=None if letter in dead else key)
        key_event(page, "keyUp", key, code, 1)
        time.sleep(0.3)
    key_event(page, "keyUp", "Alt", "AltLeft", 0)
    time.sleep(0.3)


def command(page, letter):
    """Cmd+letter, with the editing command a Mac's browser runs for it."""
    code = "Key" + letter.upper()
    key_event(page, "rawKeyDown", "Meta", "MetaLeft", 4)
    key_event(page, "keyDown", letter, code, 4, commands=[EDITING[letter]])
    key_event(page, "keyUp", letter, code, 4)
    key_event(page, "keyUp", "Meta", "MetaLeft", 0)
    time.sleep(0.3)


def wait_for_box(page, title, shown=True):
    page.wait_for(f'box "{title}" {"open" if shown else "closed"}',
                  lambda: (title in page.text().split("\n")) == shown, 5)


def check_mac(page):
    page.find_window()
    check_tables(page, command)
    # Option+S and then the item's letter, as Alt+S and the letter on a PC;
    # or Option held through both, a dead key's letter too.
    for presses, title in ((lambda: (option(page, "s"), page.keys("a")), "About Tolvane"),
                           (lambda: option(page, "s", "h"), "Help"),
                           (lambda: option(page, "s", "a", dead="a"), "About Tolvane")):
        presses()
        wait_for_box(page, title)
        page.keys(Keys.ENTER)
        wait_for_box(page, title, shown=False)
    option(page, "f", "x")
    page.wait_for("word that Tolvane has ended",
                  lambda: "Tolvane has ended. Reload the page to start it again." in page.text())


def tap(page, x, y):
    device_x, device_y = page.device(x, y)
    point = {"x": device_x / page.dpr, "y": device_y / page.dpr}
    for kind, points in (("touchStart", [point]), ("touchEnd", [])):
        page.driver.execute_cdp_cmd("Input.dispatchTouchEvent",
                                    {"type": kind, "touchPoints": points})
    time.sleep(0.4)


WINDOW_RECT = """
  const hosts = [...document.querySelectorAll("*")].filter((host) => host.shadowRoot);
  const window = hosts.map((host) => host.shadowRoot.querySelector(".qt-window")).find(Boolean);
  const box = window.getBoundingClientRect();
  return [box.left, box.top, box.right, box.bottom, innerWidth, innerHeight];
"""


def on_touch_screen(page, width, height, dpr):
    """Finds the window grown on a touch screen; returns the CSS pixels
    from one cell to the next. page.ratio becomes the device pixels of a
    logical one."""
    page.dpr = dpr
    # The window's scale is not known yet: its client area is found as the
    # widest dark blue run, at least its own size.
    page.ratio = dpr
    page.find_window()
    picture = page.picture()
    x = page.corner[0]
    while x < picture.size[0] and picture.getpixel((x, page.corner[1])) == (0x00, 0x00, 0x40):
        x += 1
    page.ratio = (x - page.corner[0]) / CLIENT_SIZE[0]
    left, top, right, bottom, view_width, view_height = page.driver.execute_script(WINDOW_RECT)
    if (view_width, view_height) != (width, height):
        raise Failure(f"the screen is {view_width} x {view_height}, not {width} x {height}")
    if left < 0 or top < 0 or right > width or bottom > height:
        raise Failure(f"the window ({left:.0f}, {top:.0f}) to ({right:.0f}, {bottom:.0f})"
                      f" is not whole on the {width} x {height} screen")
    return CELL * page.ratio / dpr


def tapped_tables(page):
    """The tables as a tap on each box and Ctrl+A, Ctrl+C copy them."""
    read = {}
    for register, (x, y) in BOXES.items():
        page.set_clipboard("")
        tap(page, x, y)
        page.chord(Keys.CONTROL, "a")
        page.chord(Keys.CONTROL, "c")
        read[register] = page.clipboard()
    return read


def check_tablet(page):
    cell = on_touch_screen(page, 1024, 768, 2)
    if cell < 32:
        raise Failure(f"a cell is {cell:.1f} CSS pixels on a 1024 x 768 touch screen, not 32")
    tap(page, *TAP_141)
    tap(page, *TAP_145)
    tap(page, *CREATE_CODE)
    read = tapped_tables(page)
    want = dict(TABLES, PF1="80, 00, 00, 00, 00, 00, 00, 00")
    if read != want:
        raise Failure(f"after taps the tables read {read}")
    tap(page, *MENU_SETTINGS)
    tap(page, *FIRST_ITEM)
    wait_for_box(page, "About Tolvane")
    page.keys(Keys.ENTER)
    wait_for_box(page, "About Tolvane", shown=False)
    tap(page, CREATE_CODE[0], CREATE_CODE[1] + 36)  # Clear Fields, below
    if set(tapped_tables(page).values()) != {CLEARED}:
        raise Failure("a tap on Clear Fields did not clear the tables")
    print(f"      a cell is {cell:.1f} CSS pixels")


def check_phone(page):
    cell = on_touch_screen(page, 390, 844, 3)
    print(f"      a cell is {cell:.1f} CSS pixels")


ENABLE_SCREEN_READER = """
  const hosts = [...document.querySelectorAll("*")].filter((host) => host.shadowRoot);
  const button = [document, ...hosts.map((host) => host.shadowRoot)]
      .flatMap((root) => [...root.querySelectorAll("button")])
      .find((button) => button.textContent === "Enable Screen Reader");
  button?.click();
  return Boolean(button);
"""
CELL_NAME = re.compile(r"Row [1-8], column ([1-9]|1[0-9]|20): PF[0-2] bit [0-7]")


def accessible(page):
    """Chromium's accessibility tree: role and name of each node a screen
    reader meets, with its value and whether it is ticked."""
    nodes = page.driver.execute_cdp_cmd("Accessibility.getFullAXTree", {})["nodes"]
    found = []
    for node in nodes:
        if node.get("ignored"):
            continue
        properties = {item["name"]: item["value"].get("value")
                      for item in node.get("properties", [])}
        found.append((node.get("role", {}).get("value"), node.get("name", {}).get("value", ""),
                      node.get("value", {}).get("value"), properties.get("checked")))
    return found


def check_screen_reader(page):
    page.find_window()
    if not page.driver.execute_script(ENABLE_SCREEN_READER):
        raise Failure('no "Enable Screen Reader" button on the page')
    page.click(*CHECK_141)
    page.click(*CREATE_CODE)
    time.sleep(0.5)
    nodes = accessible(page)
    cells = {name: checked for role, name, _, checked in nodes if role == "checkbox"}
    if len(cells) != 160 or not all(CELL_NAME.fullmatch(name) for name in cells):
        raise Failure(f"{len(cells)} named check boxes: {sorted(cells)[:5]}...")
    ticked = [name for name, checked in cells.items() if checked == "true"]
    if ticked != ["Row 8, column 1: PF0 bit 4"]:
        raise Failure(f"the check boxes ticked: {ticked}")
    # Qt's own text fields, which take the keys, are nameless.
    boxes = {name: value for role, name, value, _ in nodes if role == "textbox" and name}
    want = {"PF0 table": TABLES["PF0"], "PF1 table": "00, 00, 00, 00, 00, 00, 00, 00",
            "PF2 table": CLEARED}
    if boxes != want:
        raise Failure(f"the boxes read {boxes}")
    names = {name for role, name, _, _ in nodes if role in ("button", "menuitem")}
    if not {"Create Code", "Clear Fields", "File", "Settings"} <= names:
        raise Failure(f"the buttons and menus are named {sorted(names)}")


def check_fault(page):
    page.find_window()
    # The box's words are drawn; the screen reader's copy has them as text.
    page.driver.execute_script(ENABLE_SCREEN_READER)
    for _ in range(2):  # the second time, from a page that went on
        page.click(*CREATE_CODE)
        wait_for_box(page, "Run-time error: Check77 is gone")
        page.keys(Keys.ENTER)
        wait_for_box(page, "Run-time error: Check77 is gone", shown=False)


def on_desktop(page):
    pass


def touch_screen(width, height, dpr):
    def prepare(page):
        page.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": width, "height": height, "deviceScaleFactor": dpr, "mobile": True})
        page.driver.execute_cdp_cmd("Emulation.setTouchEmulationEnabled",
                                    {"enabled": True, "maxTouchPoints": 5})
    return prepare


def main(archive, fault, shots):
    archive = pathlib.Path(archive).resolve()
    shots = pathlib.Path(shots).resolve() if shots else None
    with tempfile.TemporaryDirectory() as scratch:
        scratch = pathlib.Path(scratch)
        folder = scratch / "site"
        zipfile.ZipFile(archive).extractall(folder)
        url = serve(folder)
        cases = [
            ("a Mac's keys", lambda page: page.driver.execute_cdp_cmd(
                "Emulation.setUserAgentOverride", MAC), check_mac),
            ("a tablet's taps", touch_screen(1024, 768, 2), check_tablet),
            ("a phone's screen", touch_screen(390, 844, 3), check_phone),
            ("a screen reader", on_desktop, check_screen_reader),
            ("a command that throws", on_desktop, check_fault),
        ]
        for number, (name, prepare, check) in enumerate(cases):
            address = serve(fault) + "fault_window.html" if check is check_fault else url
            page = Page(None, 1, scratch / f"profile-{number}")
            try:
                page.driver.execute_cdp_cmd("Browser.grantPermissions", {
                    "origin": address.rsplit("/", 1)[0],
                    "permissions": ["clipboardReadWrite", "clipboardSanitizedWrite"]})
                prepare(page)
                page.driver.get(address)
                check(page)
            except Failure as failure:
                picture = (shots or archive.parent) / f"web-users-failed-{number}.png"
                page.fail(name, failure, picture)
            finally:
                page.close()
            print(f"   {name}: right")
    print("The web archive works with a Mac's keys, a tablet's taps, a phone's screen and a"
          " screen reader, and shows a command's failure")


if __name__ == "__main__":
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2], sys.argv[3] if len(sys.argv) == 4 else None)
