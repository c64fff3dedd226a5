"""Debian's Firefox ESR, headless, over WebDriver BiDi (Debian has no
geckodriver): the few commands the web tests use, named as Selenium names
them, so that they drive every engine alike."""
import base64
import itertools
import json
import pathlib
import re
import subprocess
import time

import websocket

# Beside the Remote Agent's own: the clipboard readable, as a test reads it.
PREFERENCES = {
    "dom.events.testing.asyncClipboard": True,
    "dom.events.asyncClipboard.readText": True,
    "browser.shell.checkDefaultBrowser": False,
}


class BidiError(Exception):
    pass


class Firefox:
    """Firefox ESR at a device pixel ratio, with a profile folder of its
    own and the user's settings (preferences) in it; quit() ends it."""

    def __init__(self, profile, ratio=1, settings=(), size=(1280, 900)):
        profile = pathlib.Path(profile)
        profile.mkdir(parents=True, exist_ok=True)
        (profile / "user.js").write_text("".join(
            f"user_pref({json.dumps(name)}, {json.dumps(value)});\n"
            for name, value in {**PREFERENCES, **dict(settings)}.items()))
        self.process = subprocess.Popen(
            ["/usr/bin/firefox-esr", "--headless", "--no-remote", "--profile", str(profile),
             "--remote-debugging-port", "0", "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        self.ids = itertools.count(1)
        # The agent refuses a connection that names an Origin, as pages do.
        self.socket = websocket.create_connection(
            self._address() + "/session", timeout=60, suppress_origin=True)
        self.command("session.new", {"capabilities": {}})
        self.context = self.command("browsingContext.getTree", {})["contexts"][0]["context"]
        self.viewport = {"viewport": {"width": size[0], "height": size[1]}, "devicePixelRatio": ratio}
        self.command("browsingContext.setViewport", {"context": self.context, **self.viewport})

    def new_tab(self):
        """A new tab in place of the one open, at the same size and ratio."""
        old, self.context = self.context, self.command("browsingContext.create", {"type": "tab"})["context"]
        self.command("browsingContext.close", {"context": old})
        self.command("browsingContext.setViewport", {"context": self.context, **self.viewport})

    def _address(self):
        """Where the Remote Agent listens, as Firefox prints it at start."""
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline:
            line = self.process.stderr.readline()
            if not line and self.process.poll() is not None:
                break
            found = re.search(r"WebDriver BiDi listening on (ws://\S+)", line)
            if found:
                return found.group(1)
        raise BidiError("Firefox did not start its WebDriver BiDi agent")

    def command(self, method, params):
        sent = next(self.ids)
        self.socket.send(json.dumps({"id": sent, "method": method, "params": params}))
        while True:
            message = json.loads(self.socket.recv())
            if message.get("id") != sent:
                continue  # an event: nothing here subscribes to any
            if message.get("type") == "error":
                raise BidiError(f"{method}: {message['error']}: {message.get('message')}")
            return message["result"]

    def quit(self):
        try:
            self.command("browser.close", {})
        except (BidiError, OSError, websocket.WebSocketException):
            pass
        self.socket.close()
        try:
            self.process.wait(20)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()

    def get(self, url):
        self.command("browsingContext.navigate",
                     {"context": self.context, "url": url, "wait": "complete"})

    @property
    def title(self):
        return self.execute_script("return document.title")

    def execute_script(self, body):
        """Runs a function body as Selenium does, awaiting what it returns."""
        result = self.command("script.callFunction", {
            "functionDeclaration": f"async function() {{ {body} }}",
            "target": {"context": self.context}, "awaitPromise": True})
        if result["type"] == "exception":
            raise BidiError(result["exceptionDetails"]["text"])
        return _value(result["result"])

    def get_screenshot_as_png(self):
        data = self.command("browsingContext.captureScreenshot", {"context": self.context})
        return base64.b64decode(data["data"])

    def perform(self, *sources):
        """Input actions as WebDriver defines them (the same key codes as
        Selenium's Keys), one list per input source."""
        self.command("input.performActions", {"context": self.context, "actions": list(sources)})


def _value(remote):
    kind = remote["type"]
    if kind in ("undefined", "null"):
        return None
    if kind == "array":
        return [_value(item) for item in remote["value"]]
    if kind == "object":
        return {key: _value(item) for key, item in remote["value"]}
    return remote.get("value")
