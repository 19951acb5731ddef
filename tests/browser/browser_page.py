#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""The page around the game in headless Chromium: what it says, and how it fits the window.

Usage: browser_page.py WEB_BUILD_DIR

A loading bar, then the hint in the status line; the canvas as the largest 4:3 box above it in a
wide window, a small one and on a phone (which lays the page out at its own width); the browser's
keys left to it, only Escape and F1 taken while the game runs; and what the
page says, with no "Play again", from file://, without zelmo.wasm and without WebGL. (Offline play
and "Play again" by keyboard are browser_game.py's.)
"""
import os
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import browser_game  # noqa: E402
from browser_game import fail, wait_until  # noqa: E402

STATUS_HEIGHT = 32  # the status line's pixels under the canvas
# Before the page's scripts: what the status line shows while loading, and (on ?nowebgl) no WebGL.
BEFORE_PAGE = """
addEventListener('DOMContentLoaded', function() { window.whileLoading = [zelmoState.phase,
    getComputedStyle(document.getElementById('loading')).display, document.getElementById('status-text').textContent]; });
if (location.search === '?nowebgl') {
  var real = HTMLCanvasElement.prototype.getContext;
  HTMLCanvasElement.prototype.getContext = function(kind) { return /webgl/.test(kind) ? null : real.apply(this, arguments); };
}"""
# Keys pressed on the canvas while the game runs, Escape last (it ends the run): which had their default taken.
KEYS = """var taken = {};
addEventListener('keydown', function(event) { taken[event.key] = event.defaultPrevented; });
[['Tab', 9], ['F5', 116], ['F11', 122], ['F12', 123], [' ', 32], ['ArrowDown', 40], ['Enter', 13], ['r', 82],
 ['f', 70], ['F1', 112], ['Escape', 27]].forEach(function(key) { ['keydown', 'keyup'].forEach(function(type) {
  Module.canvas.dispatchEvent(new KeyboardEvent(type, {key: key[0], keyCode: key[1], ctrlKey: /^[rf]$/.test(key[0]),
                                                       bubbles: true, cancelable: true})); }); });
return taken;"""


def show(page, url, phase):
    page.driver.get(url)
    wait_until("the page to reach %s" % phase, lambda: page.state()["phase"] == phase)
    return page.driver.execute_script(
        "return [window.whileLoading, document.getElementById('status-text').textContent,"
        " document.getElementById('ended-text').textContent, document.getElementById('again').offsetParent !== null]")


def check_fit(page, width, height, mobile):
    page.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                                {"width": width, "height": height, "deviceScaleFactor": 1, "mobile": mobile})
    box, status, inner, touch = page.driver.execute_script(
        "var canvas = Module.canvas; return [canvas.getBoundingClientRect(), "
        "document.getElementById('status').getBoundingClientRect().bottom, innerWidth, getComputedStyle(canvas).touchAction]")
    room = height - STATUS_HEIGHT
    want = min(width, room * 4 / 3)
    if (inner != width or abs(box["width"] - want) > 1 or abs(box["height"] - want * 3 / 4) > 1
            or abs(box["left"] * 2 + box["width"] - width) > 1 or abs(box["top"] * 2 + box["height"] - room) > 1
            or status > height or touch != "none"):
        fail("in %dx%d the page is %d wide, the canvas at %s, the status line ends at %s, touch-action %s"
             % (width, height, inner, box, status, touch))


def main():
    web = os.path.abspath(browser_game.arguments(1)[0])
    root = tempfile.mkdtemp(prefix="zelmo-page-")
    os.symlink(web, os.path.join(root, "game"))
    os.mkdir(os.path.join(root, "broken"))
    for name in ("zelmo.html", "zelmo.js"):
        os.symlink(os.path.join(web, name), os.path.join(root, "broken", name))
    with browser_game.Page(root, test_clock=None, page="") as page:
        base = page.driver.current_url
        page.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": BEFORE_PAGE})
        seen = show(page, base + "game/zelmo.html?testclock=10000", "running")
        if seen[0] != ["loading", "inline-block", "Loading zelmo…"] or "Escape" not in seen[1]:
            fail("loading, the status line shows %s; running, %r" % (seen[0], seen[1]))
        for width, height, mobile in ((1200, 500, False), (412, 915, True), (700, 500, False)):
            check_fit(page, width, height, mobile)
        page.driver.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})
        print("a loading bar, then the hint; the canvas fits 1200x500, a 412x915 phone and 700x500 as the largest 4:3 box")
        taken = page.driver.execute_script(KEYS)
        if sorted(key for key, prevented in taken.items() if prevented) != ["Escape", "F1"] or len(taken) != 11:
            fail("keys taken from the browser: %s" % taken)
        print("keys: only F1 and Escape taken from the browser")
        for url, words in (("file://%s/zelmo.html" % web, "python3 -m http.server"),
                           (base + "broken/zelmo.html", "zelmo.wasm is missing or damaged (the server answered 404"),
                           (base + "game/zelmo.html?nowebgl", "no WebGL")):
            seen = show(page, url, "failed")
            if words not in seen[2] or seen[3]:
                fail("%s: the page says %r, Play again shown: %s" % (url, seen[2], seen[3]))
            print("%s: %s" % (url[:24], seen[2]))


if __name__ == "__main__":
    browser_game.run(main)
