#!/usr/bin/env python3
"""A page in headless Chromium, driven over the DevTools protocol on a pipe, with only
Python's standard library: open a file, run script in it, click at a point, type text.

    from chromium_page import Page
    with Page("/tmp/listing.html") as page:
        page.click_on("#r > div")
        page.type_text("emoji")
        print(page.evaluate("document.getElementById('r').innerText"))

Used by the HTML test of the cli suite and by bench/html-paint.
"""
import json
import os
import select
import shutil
import subprocess
import tempfile
import time
import urllib.parse

CHROMIUM = os.environ.get("RAMILUX_CHROMIUM", "/usr/bin/chromium")
FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--remote-debugging-pipe", "--window-size=1024,768"]


class PageError(Exception):
    pass


class Page:
    def __init__(self, path, timeout=120.0, before_load=None):
        """Opens `path`; `before_load` is script run in the page before its own."""
        if not os.access(CHROMIUM, os.X_OK):
            raise PageError(CHROMIUM + " is missing: scripts/install-deps installs chromium")
        self.timeout = timeout
        self.profile = tempfile.mkdtemp(prefix="ramilux-chromium-")
        self.next_id = 0
        self.buffer = b""
        self.events = []
        commands_r, self.commands = os.pipe()
        self.replies, replies_w = os.pipe()

        def child_fds():  # the browser reads commands on fd 3 and writes replies on fd 4
            a, b = os.dup(commands_r), os.dup(replies_w)
            os.dup2(a, 3)
            os.dup2(b, 4)

        self.process = subprocess.Popen(
            [CHROMIUM] + FLAGS + ["--user-data-dir=" + self.profile, "about:blank"],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            close_fds=False, preexec_fn=child_fds)
        os.close(commands_r)
        os.close(replies_w)
        try:
            targets = self.call("Target.getTargets")["targetInfos"]
            page = next(t for t in targets if t["type"] == "page")
            self.session = self.call("Target.attachToTarget",
                                     {"targetId": page["targetId"], "flatten": True})["sessionId"]
            self.call("Page.enable", session=True)
            if before_load:
                self.call("Page.addScriptToEvaluateOnNewDocument", {"source": before_load},
                          session=True)
            self.call("Page.navigate",
                      {"url": "file://" + urllib.parse.quote(os.path.abspath(path))},
                      session=True)
            self.wait_event("Page.loadEventFired")
        except Exception:
            self.close()
            raise

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def _read_message(self, deadline):
        while b"\0" not in self.buffer:
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.replies], [], [], left)[0]:
                raise PageError("no answer from chromium in time")
            chunk = os.read(self.replies, 1 << 20)
            if not chunk:
                raise PageError("chromium ended")
            self.buffer += chunk
        message, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(message)

    def call(self, method, params=None, session=False):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = self.session
        os.write(self.commands, json.dumps(message).encode() + b"\0")
        deadline = time.monotonic() + self.timeout
        while True:
            reply = self._read_message(deadline)
            if reply.get("id") == self.next_id:
                if "error" in reply:
                    raise PageError(method + ": " + json.dumps(reply["error"]))
                return reply.get("result", {})
            if "method" in reply:
                self.events.append(reply)

    def wait_event(self, method):
        deadline = time.monotonic() + self.timeout
        while True:
            for event in self.events:
                if event["method"] == method:
                    self.events.remove(event)
                    return event.get("params", {})
            reply = self._read_message(deadline)
            if "method" in reply:
                self.events.append(reply)

    def evaluate(self, expression):
        """The value of a script expression in the page; a promise is waited for."""
        result = self.call("Runtime.evaluate", {"expression": expression, "returnByValue": True,
                                                "awaitPromise": True}, session=True)
        if "exceptionDetails" in result:
            raise PageError(expression + ": " + json.dumps(result["exceptionDetails"]))
        return result["result"].get("value")

    def wait_for(self, expression, seconds=30.0):
        """The first true value of `expression`, asked every 20 ms."""
        deadline = time.monotonic() + seconds
        while True:
            value = self.evaluate(expression)
            if value:
                return value
            if time.monotonic() > deadline:
                raise PageError("never true: " + expression)
            time.sleep(0.02)

    def next_frame(self):
        """Waits until the page has drawn what it did so far."""
        self.evaluate("new Promise(r => requestAnimationFrame(() => setTimeout(r, 0)))")

    def click(self, x, y):
        """A real click of the left button: the browser finds what is at (x, y)."""
        for kind in ("mouseMoved", "mousePressed", "mouseReleased"):
            self.call("Input.dispatchMouseEvent", {"type": kind, "x": x, "y": y,
                                                   "button": "left", "clickCount": 1},
                      session=True)

    def click_on(self, selector):
        """Clicks the middle of the first element `selector` finds."""
        box = self.evaluate("(() => { const b = document.querySelector(%s)"
                            ".getBoundingClientRect(); return [b.x + Math.min(b.width / 2, 40),"
                            " b.y + b.height / 2]; })()" % json.dumps(selector))
        self.click(box[0], box[1])

    def type_text(self, text):
        """Text typed into the element that has the focus."""
        self.call("Input.insertText", {"text": text}, session=True)

    def close(self):
        try:
            if self.process.poll() is None:
                try:
                    self.call("Browser.close")
                except (PageError, OSError):
                    pass
                try:
                    self.process.wait(10)
                except subprocess.TimeoutExpired:
                    self.process.kill()
                    self.process.wait()
        finally:
            for fd in (self.commands, self.replies):
                try:
                    os.close(fd)
                except OSError:
                    pass
            shutil.rmtree(self.profile, ignore_errors=True)
