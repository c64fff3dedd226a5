#!/usr/bin/python3
"""Tries the web archive, mostly in Debian's headless Chromium, as users
meet it whom the road of web_zip_test.py does not show: a screen reader
(every cell a check box named as on the desktop, the boxes named with
their labels' words); the keys as each browser sends them, on a Mac
(Chromium's, and Firefox's with AltGraph whenever Option is held) and on
a Polish PC; a finger on a tablet (cells of 32 CSS pixels, taps that tick,
press, open and switch menus, a tap outside that closes them) and a
phone; a larger text size, a minimum font size of 16 and 20 px in Chromium
and Firefox, dark and forced colours; a command that fails part-way.
On a failure the page's picture is kept, in SCREENSHOT_DIR or else beside
the archive.

Usage: web_users_test.py ZIP [SCREENSHOT_DIR]
"""
import json
import pathlib
import re
import sys

from selenium.webdriver.common.keys import Keys

from web_zip_test import CLEARED, CUT_WORDS, Failure, run_cases

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "tools" / "web"))
from browser import CLIENT_SIZE  # noqa: E402

CHROMIUM_ON_A_MAC = {"userAgent": "Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_7)",
                     "platform": "MacIntel", "userAgentMetadata": {"platform": "macOS",
                     "platformVersion": "15", "architecture": "arm", "model": "", "mobile": False}}
CELL_NAME = re.compile(r"Row [1-8], column ([1-9]|1[0-9]|20): PF[0-2] bit [0-7]")
PF0_TABLE = "10, 00, 00, 00, 00, 00, 00, 00"


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


def check_screen_reader(page, server):
    page.open(server.url)
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
    # Each name starts with the words on the screen beside the box.
    want = {"PFData0, PF0 table": PF0_TABLE, "PFData1, PF1 table": CLEARED,
            "PFData2, PF2 table": CLEARED}
    if boxes != want:
        raise Failure(f"the boxes read {boxes}")
    names = {(role, name) for role, name, _, _ in nodes}
    for want in (("button", "Create Code"), ("button", "Clear Fields"), ("menubar", "Tolvane"),
                 ("menuitem", "File"), ("menuitem", "Settings")):
        if want not in names:
            raise Failure(f"no {want[0]} named {want[1]!r}")


# Keys as each browser sends them, each where it is pressed: the key, its
# code and modifiers (Option as "alt" on a Mac); whether the page takes it,
# and the menu open after it. A Mac's menus open by Control+Option+letter,
# and by Option+letter outside a text box, where Option types; Cmd's
# chords are the browser's. Firefox on a Mac reports AltGraph whenever
# Option is held; a Mac has no AltGr. On a PC, AltGr is Ctrl+Alt, which
# types ("ś" on a Polish PC), and Alt+letter opens a menu.
MAC_KEYS = [("Check1", "ƒ", "KeyF", "alt", True, "mnufile"),
            ("mnuexit", "Escape", "Escape", "", True, None),
            ("text3", "@", "KeyL", "alt", False, None),
            ("text3", "a", "KeyA", "meta", False, None),
            ("text3", "ß", "KeyS", "ctrl alt", True, "mnusettings"),
            ("mnuabout", "å", "KeyA", "alt", True, None)]
PC_KEYS = [("text3", "ś", "KeyS", "ctrl alt altgraph", False, None),
           ("text3", "s", "KeyS", "alt", True, "mnusettings"),
           ("mnuabout", "a", "KeyA", "", True, None)]


def keys_as_sent(table, option_is_altgraph=False):
    """Sends each key of the table as the browser would, then About must be
    open (each table ends by picking it)."""
    def check(page, server):
        page.open(server.url)
        for where, key_name, code, modifiers, taken, menu in table:
            if option_is_altgraph and "alt" in modifiers.split():
                modifiers += " altgraph"
            page.focus(where)
            init = {"key": key_name, "code": code, "bubbles": True, "cancelable": True,
                    **{("modifierAltGraph" if name == "altgraph" else name + "Key"): True
                       for name in modifiers.split()}}
            left = page.script("return document.activeElement.dispatchEvent(new KeyboardEvent("
                               f"'keydown', {json.dumps(init)}))")
            if (not left, page.menu()) != (taken, menu):
                raise Failure(f"{key_name} ({code}, {modifiers or 'alone'}) on {where}: taken"
                              f" {not left}, {page.menu()} open, not {taken} and {menu}")
        wait_for_box(page, "About Tolvane")
    return check


def words_whole(width, text_size=None):
    """The window grown with its words to the width given, at the browser's
    text size (the page's rem) or minimum font size: every word whole."""
    def check(page, server):
        page.open(server.url)
        if text_size:
            page.script(f"document.documentElement.style.fontSize = '{text_size}px'")
        if page.rect("#client")[2] < width - 0.5 or page.script(CUT_WORDS):
            raise Failure(f"the window is {page.rect('#client')[2]:.0f} wide, not {width:.0f},"
                          f" with words cut in {page.script(CUT_WORDS)}")
    return check


def tap(page, selector):
    left, top, width, height = page.rect(selector)
    point = {"x": left + width / 2, "y": top + height / 2}
    for kind, points in (("touchStart", [point]), ("touchEnd", [])):
        page.driver.execute_cdp_cmd("Input.dispatchTouchEvent",
                                    {"type": kind, "touchPoints": points})


def on_touch_screen(page, server, width, height):
    """The window whole on the screen; returns the CSS pixels from one
    cell to the next."""
    page.open(server.url)
    left, top, right, bottom, view_width, view_height = page.script("""
        const box = document.getElementById("frmtolvane").getBoundingClientRect();
        return [box.left, box.top, box.right, box.bottom, innerWidth, innerHeight];""")
    if (view_width, view_height) != (width, height):
        raise Failure(f"the screen is {view_width} x {view_height}, not {width} x {height}")
    if left < 0 or top < 0 or right > width or bottom > height:
        raise Failure(f"the window ({left:.0f}, {top:.0f}) to ({right:.0f}, {bottom:.0f})"
                      f" is not whole on the {width} x {height} screen")
    return page.rect("#Check2")[0] - page.rect("#Check1")[0]


def check_tablet(page, server):
    pitch = on_touch_screen(page, server, 1024, 768)
    if pitch < 32:
        raise Failure(f"a cell is {pitch:.1f} CSS pixels on a 1024 x 768 touch screen, not 32")
    for selector in ("#Check141", "#Check145", "#cmdcode"):
        tap(page, selector)
    tables = [page.value(id_) for id_ in ("text3", "play1", "play2")]
    if tables != [PF0_TABLE, "80, 00, 00, 00, 00, 00, 00, 00", CLEARED]:
        raise Failure(f"after taps the tables read {tables}")
    had_keys = page.active()
    tap(page, "#mnusettings")
    tap(page, "#mnuabout")
    wait_for_box(page, "About Tolvane")
    page.keys(Keys.ENTER)
    page.wait_for(f"About closed, the keys back on {had_keys}",
                  lambda: not page.dialog() and page.active() == had_keys, 5)
    tap(page, "#clrfield")
    if {page.value(id_) for id_ in ("text3", "play1", "play2")} != {CLEARED}:
        raise Failure("a tap on Clear Fields did not clear the tables")
    for target, want in (("#mnufile", "mnufile"), ("#mnusettings", "mnusettings"),
                         ("#mnufile", "mnufile"), ("#Label4", None)):
        tap(page, target)
        if page.menu() != want:
            raise Failure(f"a tap on {target} left {page.menu()} open, not {want}")
    print(f"      a cell is {pitch:.0f} CSS pixels")


def check_phone(page, server):
    print(f"      a cell is {on_touch_screen(page, server, 390, 844):.0f} CSS pixels")


def check_schemes(page, server):
    page.open(server.url)
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
    page.wait_for("a ticked cell that looks other than a clear one in forced colours",
                  lambda: page.picture("#Check141").tobytes()
                  != page.picture("#Check142").tobytes(), 5)


def check_fault(page, server):
    page.open(server.url)
    page.click("#Check141")
    page.script("document.getElementById('Check77').remove()")
    for _ in range(2):  # the second time, from a page that went on
        page.click("#cmdcode")
        wait_for_box(page, "Tolvane")
        prompt = page.script("return document.querySelector('dialog[open] .prompt').textContent")
        if prompt != "Run-time error: Check77 is gone":
            raise Failure(f"the error box says {prompt!r}")
        page.keys(Keys.ENTER)
        wait_for_box(page, "Tolvane", shown=False)
    # Check77 is row 4's PF2 high digit: the PF2 table stops there.
    tables = [page.value(id_) for id_ in ("text3", "play1", "play2")]
    if tables != [PF0_TABLE, CLEARED, "00, 00, 00, 00, "]:
        raise Failure(f"after the failure the tables read {tables}")


def touch_screen(width, height, dpr):
    def prepare(page):
        page.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": width, "height": height, "deviceScaleFactor": dpr, "mobile": True})
        page.driver.execute_cdp_cmd("Emulation.setTouchEmulationEnabled",
                                    {"enabled": True, "maxTouchPoints": 5})
    return prepare


# name, engines, check, options (see run_cases)
CASES = [
    ("a screen reader", ["chromium"], check_screen_reader, {}),
    ("a Mac's keys as Chromium sends them", ["chromium"], keys_as_sent(MAC_KEYS), {
        "before": lambda page: page.driver.execute_cdp_cmd(
            "Emulation.setUserAgentOverride", CHROMIUM_ON_A_MAC)}),
    ("a Mac's keys as Firefox sends them", ["firefox"], keys_as_sent(MAC_KEYS, True),
     {"settings": {"general.platform.override": "MacIntel"}}),
    ("a Polish PC's keys", ["chromium", "firefox"], keys_as_sent(PC_KEYS), {}),
    ("a tablet", ["chromium"], check_tablet, {"before": touch_screen(1024, 768, 2)}),
    ("a phone", ["chromium"], check_phone, {"before": touch_screen(390, 844, 3)}),
    *[(f"a text size of {pixels} px", ["chromium"],
       words_whole(CLIENT_SIZE[0] * pixels / 16, pixels), {}) for pixels in (20, 24)],
    # The smallest words, the tables', are 9 px: the window grows by 16 / 9 or more.
    *[(f"a minimum font size of {pixels} px", [engine], words_whole(CLIENT_SIZE[0] * pixels / 9),
       {"settings": setting}) for pixels in (16, 20) for engine, setting in (
          ("chromium", {"webkit": {"webprefs": {"minimum_font_size": pixels}}}),
          ("firefox", {"font.minimum-size.x-western": pixels}))],
    ("dark and forced colours", ["chromium"], check_schemes, {}),
    ("a failing command", ["chromium"], check_fault, {}),
]

if __name__ == "__main__":
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    run_cases("users", sys.argv[1], sys.argv[2] if len(sys.argv) == 3 else None, CASES)
    print("The web page serves a screen reader, a Mac, AltGr, a tablet, a phone, larger text,"
          " minimum font sizes, dark and forced colours, and goes on after a failing command")
