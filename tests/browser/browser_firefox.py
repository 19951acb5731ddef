#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""The browser build in Firefox ESR under Xvfb, played as a person plays it, against the native build.

Usage: browser_firefox.py SITE_DIR REFERENCE_FRAMES SCRIPT

Plays SCRIPT as browser_game.py does in Chromium (the title, a held click into a round, a launch),
with nothing said in the console, then ends the run with Escape and checks the page that says so. Firefox is driven through its own
WebDriver BiDi; its WebGL draws through Mesa (headless Firefox has none here, hence Xvfb).
ZELMO_XVFB_DISPLAY=N uses display :N instead of the first free one.
"""
import asyncio
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading

import websockets

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import browser_game  # noqa: E402
from browser_game import DEADLINE, HOLD, WIDTH, HEIGHT, START_CLOCK, Page, fail, wait_until  # noqa: E402

PREFERENCES = {"webgl.force-enabled": True, "browser.shell.checkDefaultBrowser": False,
               "datareporting.policy.dataSubmissionEnabled": False, "browser.aboutwelcome.enabled": False,
               "toolkit.telemetry.reportingpolicy.firstRun": False}


class FirefoxPage:
    """The game's page in Firefox, with the methods browser_game.play_script asks of a page (those that
    only evaluate JavaScript are the Chromium page's own)."""
    __enter__, __exit__, wait_for_start, state, frames, settle, clock, page_pixel, picture = (
        Page.__enter__, Page.__exit__, Page.wait_for_start, Page.state, Page.frames, Page.settle, Page.clock,
        Page.page_pixel, Page.picture)

    def __init__(self, root):
        self.server = browser_game.serve(root)
        self.xvfb = self.firefox = self.socket = None
        self.profile = tempfile.mkdtemp(prefix="zelmo-firefox-")
        with open(os.path.join(self.profile, "user.js"), "w") as prefs:
            for name, value in PREFERENCES.items():
                prefs.write("user_pref(%s, %s);\n" % (json.dumps(name), json.dumps(value)))

    def start(self):
        self.xvfb, display = start_xvfb()
        self.firefox = subprocess.Popen(
            ["firefox-esr", "--profile", self.profile, "--no-remote", "--remote-debugging-port", "0",
             "--width", str(WIDTH + 200), "--height", str(HEIGHT + 300), "about:blank"],
            env=dict(os.environ, DISPLAY=display, MOZ_CRASHREPORTER_DISABLE="1"),
            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        address = read_line(self.firefox.stderr, r"WebDriver BiDi listening on (ws://\S+)")
        self.loop = asyncio.new_event_loop()
        asyncio.set_event_loop(self.loop)
        self.socket = self.loop.run_until_complete(websockets.connect(address + "/session", max_size=None))
        self.next_id = 0
        self.console = []  # what the page and the browser said there: [level, text]
        self.call("session.new", capabilities={})
        self.call("session.subscribe", events=["log.entryAdded"])
        self.context = self.call("browsingContext.getTree")["contexts"][0]["context"]
        url = "http://127.0.0.1:%d/zelmo.html?testclock=%d" % (self.server.server_address[1], START_CLOCK)
        self.call("browsingContext.navigate", context=self.context, url=url, wait="complete")
        self.wait_for_start()

    def call(self, method, **params):
        self.next_id += 1
        self.loop.run_until_complete(self.socket.send(json.dumps({"id": self.next_id, "method": method, "params": params})))
        while True:  # the console's entries come as events between the replies
            reply = json.loads(self.loop.run_until_complete(asyncio.wait_for(self.socket.recv(), DEADLINE)))
            if reply.get("method") == "log.entryAdded":
                self.console.append([reply["params"]["level"], reply["params"]["text"]])
            if reply.get("id") == self.next_id:
                break
        if reply.get("type") == "error":
            fail("%s: %s %s" % (method, reply.get("error"), reply.get("message")))
        return reply["result"]

    def evaluate(self, expression):
        result = self.call("script.evaluate", expression="JSON.stringify(%s)" % expression,
                           target={"context": self.context}, awaitPromise=False)
        if result["type"] != "success":
            fail("%s: %s" % (expression, result.get("exceptionDetails", {}).get("text")))
        return json.loads(result["result"]["value"])

    def act(self, kind, *actions):
        source = {"type": kind, "id": kind, "actions": list(actions)}
        if kind == "pointer":
            source["parameters"] = {"pointerType": "mouse"}
        self.call("input.performActions", context=self.context, actions=[source])

    def move(self, x, y):
        x, y = self.page_pixel(x, y)
        self.act("pointer", {"type": "pointerMove", "x": x, "y": y})
        self.settle()

    def press(self, button):
        self.act("pointer", {"type": "pointerDown", "button": button}, {"type": "pause", "duration": HOLD * 1000})
        self.settle()
        self.act("pointer", {"type": "pointerUp", "button": button})
        self.settle()

    def key(self, value):
        self.act("key", {"type": "keyDown", "value": value}, {"type": "pause", "duration": HOLD * 1000},
                 {"type": "keyUp", "value": value})

    def close(self):
        if self.firefox:
            try:
                self.call("browser.close")
                self.firefox.wait(DEADLINE)
            except BaseException:
                self.firefox.kill()
                self.firefox.wait()
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait()
        self.server.shutdown()
        shutil.rmtree(self.profile, ignore_errors=True)


def read_line(stream, pattern):
    """The first match of pattern in the stream's lines, read on a thread so that the wait has a deadline."""
    found = []

    def read():
        for line in stream:
            match = re.search(pattern, line)
            if match:
                found.append(match.group(1))
                break
        threading.Thread(target=stream.read, daemon=True).start()  # keeps reading, so Firefox never blocks on it
    threading.Thread(target=read, daemon=True).start()
    wait_until("a line with %r" % pattern, lambda: found)
    return found[0]


def start_xvfb():
    """A private Xvfb: its process and display name (the first free display, told through -displayfd)."""
    fixed = os.environ.get("ZELMO_XVFB_DISPLAY")
    read, write = os.pipe()
    where = [":" + fixed] if fixed else ["-displayfd", str(write)]
    xvfb = subprocess.Popen(["Xvfb"] + where + ["-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset"],
                            pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as pipe:
        display = ":" + (fixed or pipe.readline().strip())
    wait_until("Xvfb to answer", lambda: subprocess.run(["xdpyinfo", "-display", display],
                                                         capture_output=True).returncode == 0)
    return xvfb, display


def main():
    web, reference_tool, script = browser_game.arguments(3)
    with FirefoxPage(web) as page:
        page.start()
        browser_game.play_script(page, reference_tool, script)
        said = [entry for entry in page.console if entry[0] in ("warn", "error")]
        if said:
            fail("the console has: %s" % said)
        print("console: nothing said")
        page.key("\uE00C")  # Escape
        wait_until("Escape to end the run", lambda: page.state()["phase"] == "ended")
        ended = page.evaluate("[document.getElementById('ended-text').textContent, "
                              "document.activeElement.id, getComputedStyle(document.getElementById('again')).display]")
        if page.state()["exitCode"] != 0 or "ended" not in ended[0] or ended[1:] != ["again", "inline-block"]:
            fail("after Escape the page shows %s, %s" % (page.state(), ended))
        print("Escape: the run ended with code 0, the page said so and offers another")


if __name__ == "__main__":
    browser_game.run(main)
