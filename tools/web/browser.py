"""What the web archive's test and benchmark share: a folder served on the
loopback by a plain static server, Debian's Chromium, headless, with
nothing of its own fetched from the network, and the size of Tolvane's
client area, by which both find its window."""
import http.server
import socket
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

# The client area of ui/layout.h (kClientWidth by kClientHeight twips, 15
# to a pixel), in logical pixels.
CLIENT_SIZE = (360, 326)


class Server:
    """Serves a folder on the loopback, as a careful host serves a page that
    changes: with Cache-Control: no-cache, so that a browser asks each time
    and only the page's own offline copy can start it without the server.
    With a rate, it sends that many bytes a second, no more; cut() then
    breaks off what it is sending, as a lost connection does."""

    def __init__(self, folder, port=0, rate=None):
        sending = set()

        class Handler(http.server.SimpleHTTPRequestHandler):
            extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                              ".wasm": "application/wasm",
                              ".webmanifest": "application/manifest+json"}

            def __init__(self, *args, **kwargs):
                super().__init__(*args, directory=folder, **kwargs)

            def end_headers(self):
                self.send_header("Cache-Control", "no-cache")
                super().end_headers()

            def copyfile(self, source, destination):
                if rate is None:
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

        self.sending = sending
        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", port), Handler)
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


def serve(folder):
    """Serves the folder until the program ends; returns its address."""
    return Server(folder).url


def chromium(profile, ratio=1):
    """Debian's headless Chromium at a device pixel ratio, with a profile
    folder of its own."""
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for argument in ["--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic",
                     "--no-first-run", "--disable-background-networking",
                     "--disable-component-update", "--disable-sync", "--window-size=1280,900",
                     f"--force-device-scale-factor={ratio}", f"--user-data-dir={profile}"]:
        options.add_argument(argument)
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
