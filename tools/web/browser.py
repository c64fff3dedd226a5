"""What the web archive's tests and benchmark share: a static server on the
loopback, and the three engines from Debian's packages: Chromium and
Firefox ESR headless, WebKitGTK's MiniBrowser on the X display given."""
import http.server
import json
import os
import pathlib
import socket
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.remote.command import Command
from selenium.webdriver.webkitgtk.options import Options as WebKitOptions

from bidi import Firefox

ENGINES = ("chromium", "firefox", "webkit")

# ui/layout.h's client area (kClientWidth by kClientHeight), in CSS pixels.
CLIENT_SIZE = (360, 326)


class Server:
    """Serves a folder on the loopback with Cache-Control: no-cache, so that
    only the page's own offline copy starts it without the server. With a
    rate, files whose names end with slow go at that many bytes a second,
    and cut() breaks them off. Pretty, it redirects /index.html to / and
    /x.html to /x, which it serves, as many hosts do."""

    def __init__(self, folder, port=0, rate=None, slow="", pretty=False, headers=()):
        sending = set()

        class Handler(http.server.SimpleHTTPRequestHandler):
            extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                              ".wasm": "application/wasm",
                              ".webmanifest": "application/manifest+json"}

            def __init__(self, *args, **kwargs):
                super().__init__(*args, directory=folder, **kwargs)

            def end_headers(self):
                self.send_header("Cache-Control", "no-cache")
                for name, value in headers:
                    self.send_header(name, value)
                super().end_headers()

            def send_head(self):
                path = self.path.split("?")[0]
                if pretty and path.endswith(".html"):
                    self.send_response(308)
                    self.send_header("Location", path.removesuffix(".html").removesuffix("index"))
                    self.end_headers()
                    return None
                if pretty and not os.path.exists(self.translate_path(path)):
                    self.path = path + ".html"
                return super().send_head()

            def copyfile(self, source, destination):
                if rate is None or not self.path.endswith(slow):
                    return super().copyfile(source, destination)
                sending.add(self.connection)
                try:
                    while chunk := source.read(rate // 10):
                        destination.write(chunk)
                        time.sleep(0.1)
                except OSError:
                    pass
                finally:
                    sending.discard(self.connection)

            def log_message(self, *args):
                pass

        self.folder = pathlib.Path(folder)
        self.sending = sending
        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", port), Handler)
        # A browser that goes on before an answer ends is no error here.
        self.server.handle_error = lambda request, address: None
        self.port = self.server.server_address[1]
        self.url = f"http://localhost:{self.port}/"
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def cut(self):
        for connection in list(self.sending):
            connection.shutdown(socket.SHUT_RDWR)

    def stop(self):
        if self.server:
            self.server.shutdown()
            self.server.server_close()
            self.server = None


class Actions:
    """Input actions as WebDriver defines them, and fresh tabs, the same
    for every engine."""

    def perform(self, *sources):
        self.execute(Command.W3C_ACTIONS, {"actions": list(sources)})
        self.execute(Command.W3C_CLEAR_ACTIONS)

    def new_tab(self):
        """A new tab in place of the one open: nothing a page or an
        emulation set in the old one stays."""
        old = self.current_window_handle
        self.switch_to.new_window("tab")
        new = self.current_window_handle
        self.switch_to.window(old)
        self.close()
        self.switch_to.window(new)


class Chromium(Actions, webdriver.Chrome):
    pass


class WebKit(Actions, webdriver.WebKitGTK):
    pass


def open_browser(engine, profile, ratio=1, settings=None):
    """The engine's browser at a device pixel ratio (WebKit: its display's),
    with a profile of its own holding the user's settings: Chromium's
    preferences as nested names, Firefox's as user.js has them."""
    if engine == "chromium":
        if settings:
            (pathlib.Path(profile) / "Default").mkdir(parents=True, exist_ok=True)
            (pathlib.Path(profile) / "Default" / "Preferences").write_text(json.dumps(settings))
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for argument in ["--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic",
                         "--no-first-run", "--disable-background-networking",
                         "--disable-component-update", "--disable-sync", "--window-size=1280,900",
                         f"--force-device-scale-factor={ratio}", f"--user-data-dir={profile}"]:
            options.add_argument(argument)
        return Chromium(service=Service("/usr/bin/chromedriver"), options=options)
    if engine == "firefox":
        return Firefox(profile, ratio, settings or {})
    options = WebKitOptions()
    options.binary_location = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser"
    options.add_argument("--automation")
    browser = WebKit(executable_path="/usr/bin/WebKitWebDriver", options=options)
    browser.set_window_rect(0, 0, 1280, 900)
    return browser
