#!/usr/bin/env python3
"""Opens a page in headless Chromium (Debian's chromium package) and tells
what a person would find on it, through the browser's DevTools protocol on a
pair of pipes (--remote-debugging-pipe): no port, no download, the standard
library only.

    browser.py shot PAGE OUT.PNG [WIDTH HEIGHT]

saves a picture of the top of PAGE, WIDTH x HEIGHT CSS pixels (1100 x 1400
by default).

As a module: Browser() starts one browser; its open(path) loads a page and
returns every URL the page asked for and every message the browser logged
while it loaded (a load its content security policy refused among them);
evaluate(expression) reads the loaded page; shot(out) saves a picture of it.
"""
import base64
import fcntl
import json
import os
import select
import shutil
import subprocess
import sys
import tempfile
import time

# The machine has no network: nothing may try to reach it, nor wait on it.
FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
         "--disable-component-update", "--disable-sync", "--no-first-run",
         "--no-default-browser-check", "--disable-extensions", "--mute-audio",
         "--hide-scrollbars", "--remote-debugging-pipe"]
# A safety net far above any healthy load, which takes about a second.
PATIENCE = 120


class Browser:
    def __init__(self, width=1100, height=1400):
        self.profile = tempfile.mkdtemp(prefix="tavelin-chromium-")
        # fd 3 carries the commands to the browser, fd 4 its answers. The
        # child's ends are first put above both numbers, so that neither
        # dup2 overwrites the other.
        to_browser, self.command_fd = os.pipe()
        self.answer_fd, from_browser = os.pipe()
        ends = [fcntl.fcntl(fd, fcntl.F_DUPFD, 10) for fd in (to_browser, from_browser)]
        os.close(to_browser)
        os.close(from_browser)

        def pipes():
            os.dup2(ends[0], 3)
            os.dup2(ends[1], 4)

        self.process = subprocess.Popen(
            ["chromium", f"--user-data-dir={self.profile}"] + FLAGS + ["about:blank"],
            pass_fds=(3, 4), preexec_fn=pipes,
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for fd in ends:
            os.close(fd)
        self.buffer = b""
        self.events = []
        self.next_id = 0
        try:
            target = self.call("Target.createTarget", {"url": "about:blank"})["targetId"]
            self.session = self.call("Target.attachToTarget",
                                     {"targetId": target, "flatten": True})["sessionId"]
            for domain in ("Page", "Network", "Log", "Runtime"):
                self.call(domain + ".enable", session=True)
            self.call("Emulation.setDeviceMetricsOverride",
                      {"width": width, "height": height, "deviceScaleFactor": 1,
                       "mobile": False}, session=True)
        except (OSError, RuntimeError):
            self.close()
            raise

    def close(self):
        try:
            self.call("Browser.close")
        except (OSError, RuntimeError):
            pass
        try:
            self.process.wait(timeout=30)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        os.close(self.command_fd)
        os.close(self.answer_fd)
        shutil.rmtree(self.profile, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *ignored):
        self.close()

    def _message(self, deadline):
        """The next message from the browser, JSON decoded."""
        while b"\0" not in self.buffer:
            left = deadline - time.monotonic()
            if left <= 0:
                raise RuntimeError("the browser did not answer")
            ready, _, _ = select.select([self.answer_fd], [], [], left)
            if ready:
                data = os.read(self.answer_fd, 1 << 16)
                if not data:
                    raise RuntimeError("the browser ended")
                self.buffer += data
        message, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(message)

    def call(self, method, params=None, session=False):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = self.session
        os.write(self.command_fd, json.dumps(message).encode() + b"\0")
        deadline = time.monotonic() + PATIENCE
        while True:
            answer = self._message(deadline)
            if answer.get("id") == self.next_id:
                if "error" in answer:
                    raise RuntimeError(f"{method}: {answer['error']}")
                return answer.get("result", {})
            if "method" in answer:
                self.events.append(answer)

    def _until(self, method):
        deadline = time.monotonic() + PATIENCE
        while True:
            for event in self.events:
                if event["method"] == method:
                    return
            self.events.append(self._message(deadline))

    def open(self, path):
        """Loads the page at path; the URLs it asked for (itself included)
        and the messages the browser logged, such as a refusal of its
        content security policy."""
        # A blank page first: whatever the page before still had to say
        # comes before its load, and is left out.
        for url in ("about:blank", "file://" + os.path.abspath(path)):
            self.events = []
            self.call("Page.navigate", {"url": url}, session=True)
            self._until("Page.loadEventFired")
        # The page asks nothing more once loaded; a round trip collects any
        # event still on its way.
        self.evaluate("document.readyState")
        urls = [e["params"]["request"]["url"] for e in self.events
                if e["method"] == "Network.requestWillBeSent"]
        logged = [e["params"]["entry"]["text"] for e in self.events
                  if e["method"] == "Log.entryAdded"]
        logged += [e["params"]["exceptionDetails"].get("text", "") for e in self.events
                   if e["method"] == "Runtime.exceptionThrown"]
        return urls, logged

    def evaluate(self, expression):
        """The value of a JavaScript expression in the loaded page. The
        browser evaluates it on its own behalf: the page's policy, which
        forbids scripts, does not apply."""
        result = self.call("Runtime.evaluate", {"expression": expression, "returnByValue": True},
                           session=True)
        if "exceptionDetails" in result:
            raise RuntimeError(f"{expression}: {result['exceptionDetails']}")
        return result["result"].get("value")

    def shot(self, out):
        data = self.call("Page.captureScreenshot", {"format": "png"}, session=True)["data"]
        with open(out, "wb") as f:
            f.write(base64.b64decode(data))


def main(args):
    if len(args) not in (3, 5) or args[0] != "shot":
        sys.exit(__doc__)
    size = (int(args[3]), int(args[4])) if len(args) == 5 else (1100, 1400)
    with Browser(*size) as browser:
        browser.open(args[1])
        browser.shot(args[2])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
