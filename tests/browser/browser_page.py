#!/usr/bin/python3
"""The page around the game in headless Chromium: what it says, how it fits the window, and play without the server.

Usage: browser_page.py WEB_BUILD_DIR

One visit, every request answered: the status line gives the hint (a loading bar before it), the canvas is the largest 4:3 box
above it in a wide window and on a phone (which lays the page out at its own width). With the
server then stopped, the kept page starts the game, Escape ends it, Tab reaches "Play again" and
Enter starts another. Then what the page says, with no "Play again", from file://, without
zelmo.wasm and without WebGL.
"""
import os
import sys
import tempfile

sys.path[:0] = [os.path.join(os.path.dirname(os.path.abspath(__file__)), where) for where in (".", "..")]
import browser_game  # noqa: E402
from browser_game import fail, wait_until  # noqa: E402
from selenium.webdriver.common.action_chains import ActionChains  # noqa: E402
from selenium.webdriver.common.keys import Keys  # noqa: E402

STATUS_HEIGHT = 32  # the status line's pixels under the canvas
requests = []
browser_game.QuietHandler.log_request = lambda handler, code="-", size="-": requests.append((handler.path, int(code)))


def run(page, url, phase):
    page.driver.get(url)
    wait_until("the page to reach %s" % phase, lambda: page.state()["phase"] == phase)


def said(page):
    return page.driver.execute_script(
        "var again = document.getElementById('again');"
        "return [document.getElementById('status-text').textContent, document.getElementById('ended-text').textContent,"
        " again.offsetParent !== null, document.activeElement.id]")


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
    web = os.path.abspath(sys.argv[1])
    root = tempfile.mkdtemp(prefix="zelmo-page-")
    os.symlink(web, os.path.join(root, "game"))
    os.mkdir(os.path.join(root, "broken"))
    for name in ("zelmo.html", "zelmo.js"):
        os.symlink(os.path.join(web, name), os.path.join(root, "broken", name))
    page = browser_game.Page(root, test_clock=None, page="game/zelmo.html?testclock=10000")
    game = page.driver.current_url
    try:
        wait_until("the game to start", lambda: page.state()["phase"] == "running")
        if "Escape" not in said(page)[0] or page.driver.find_element("id", "loading").is_displayed():
            fail("the status line says %r" % said(page)[0])
        for width, height, mobile in ((1200, 500, False), (412, 915, True), (700, 500, False)):
            check_fit(page, width, height, mobile)
        page.driver.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})
        print("the hint shows; the canvas fits 1200x500, a 412x915 phone and 700x500 as the largest 4:3 box")
        wait_until("the page's files to be kept", lambda: page.state()["offlineReady"])
        if [r for r in requests if r[1] >= 400]:
            fail("requests failed on a normal load: %s" % requests)
        print("%d requests, none failed: %s" % (len(requests), " ".join(sorted(set(r[0] for r in requests)))))

        page.server.shutdown()
        page.server.server_close()
        page.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": (
            "addEventListener('DOMContentLoaded', function() { window.whileLoading = [zelmoState.phase,"
            " getComputedStyle(document.getElementById('loading')).display, document.getElementById('status-text').textContent]; });"
            "if (location.search === '?nowebgl') { var real = HTMLCanvasElement.prototype.getContext;"
            " HTMLCanvasElement.prototype.getContext = function(kind) {"
            "  return /webgl/.test(kind) ? null : real.apply(this, arguments); }; }")})
        run(page, game, "running")
        loading = page.driver.execute_script("return window.whileLoading")
        if loading != ["loading", "inline-block", "Loading zelmo…"]:
            fail("while loading the page shows %s" % loading)
        for attempt in ("the kept page", "Play again, by keyboard"):
            wait_until("the game to draw", lambda: page.frames() > 2)
            page.key(Keys.ESCAPE)
            wait_until("Escape to end the run", lambda: page.state()["phase"] == "ended")
            if said(page)[2:] != [True, "again"]:
                fail("Play again is not shown and focused: %s" % said(page))
            page.driver.execute_script("document.activeElement.blur()")
            for _ in range(3):  # past the browser's own stop, where it has one
                page.key(Keys.TAB)
                if said(page)[3] == "again":
                    break
            else:
                fail("Tab does not reach Play again")
            page.key(Keys.ENTER)
            wait_until("a new run", lambda: page.state()["phase"] == "running")
            print("without the server: %s started the game, Escape ended it, Tab and Enter started another" % attempt)

        page.server = browser_game.serve(root)  # another origin: nothing kept there
        base = "http://127.0.0.1:%d/" % page.server.server_address[1]
        for url, words in (("file://%s/zelmo.html" % web, "python3 -m http.server"),
                           (base + "broken/zelmo.html", "zelmo.wasm is missing or damaged (the server answered 404"),
                           (base + "game/zelmo.html?nowebgl", "no WebGL")):
            run(page, url, "failed")
            if words not in said(page)[1] or said(page)[2]:
                fail("%s: the page says %r, Play again shown: %s" % (url, said(page)[1], said(page)[2]))
            print("%s: %s" % (url[:24], said(page)[1]))
    finally:
        page.close()
    print("PASS")
    return 0


if __name__ == "__main__":
    sys.exit(main())
