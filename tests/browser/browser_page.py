#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""The site and the page around the game in headless Chromium: its files, what it says, how it fits,
its failures, a new build and a server that does not answer.

Usage: browser_page.py SITE_DIR

The site holds the README's "Hosting" files and their compressed copies, nothing else, served with
its types, encodings and cache headers. A loading bar, then the hint in the status line; the canvas
as the largest 4:3 box above the bar in a wide window, a small one and on a phone (which lays the
page out at its own width); the accessibility basics (language, names, roles, live status,
contrast); the browser's keys left to it, only Escape and F1 taken while the game runs; a 320 px
phone with touch words, whose controls go fullscreen and end the run by touch. What the page says
when the start fails, with a retry only where one can help: from file://, zelmo.js missing, damaged
or throwing, zelmo.wasm missing or damaged, a start that stalls, no WebGL, a dropped connection (Try
again starts the game). Then a changed build served between two visits runs on the second, and a
server that accepts and never answers still lets the page start from its kept copy. (Offline play
and "Play again" by keyboard are browser_game.py's.)
"""
import gzip
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import browser_game  # noqa: E402
from browser_game import fail, wait_until  # noqa: E402

README = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "README.md")
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
# The basics an accessibility checker looks at: the page's language and title, the canvas's role and
# name, the status line a polite live region, every shown button named, and the contrast of every
# shown text with what is behind it (at least 4.5).
ACCESSIBLE = """var problems = [], status = document.getElementById('status');
if (!document.documentElement.lang || !document.title) problems.push('no language or title');
if (!Module.canvas.getAttribute('role') || !Module.canvas.getAttribute('aria-label')) problems.push('a nameless canvas');
if (status.getAttribute('role') !== 'status' || status.getAttribute('aria-live') !== 'polite') problems.push('status');
function luminance(colour) {
  var c = colour.match(/[\\d.]+/g).map(function(v) { v /= 255; return v <= 0.03928 ? v / 12.92 : Math.pow((v + 0.055) / 1.055, 2.4); });
  return 0.2126 * c[0] + 0.7152 * c[1] + 0.0722 * c[2];
}
function behind(e) {  // the first colour behind the element that is not transparent
  for (var c; e; e = e.parentElement) if (!/^rgba\\(.*, 0\\)$/.test(c = getComputedStyle(e).backgroundColor)) return c;
  return 'rgb(255, 255, 255)';
}
document.querySelectorAll('body *').forEach(function(e) {
  if (!e.getClientRects().length) return;
  if (e.tagName === 'BUTTON' && !e.textContent.trim() && !e.getAttribute('aria-label')) problems.push('a nameless button');
  if (![].some.call(e.childNodes, function(n) { return n.nodeType === 3 && n.textContent.trim(); })) return;
  var a = luminance(getComputedStyle(e).color), b = luminance(behind(e));
  if ((Math.max(a, b) + 0.05) / (Math.min(a, b) + 0.05) < 4.5) problems.push((e.id || e.tagName) + ': low contrast');
});
return problems;"""
TYPES = {".wasm": "application/wasm", ".webmanifest": "application/manifest+json", ".js": "text/javascript",
         ".html": "text/html", ".png": "image/png"}


def hosting_files():
    """The files the README's "Hosting" table lists."""
    text = open(README).read()
    section = text[text.index("## Hosting"):]
    section = section[:section.index("\n## ")]
    return [name for row in section.splitlines() if row.startswith("| `")
            for name in re.findall(r"`([^`]+)`", row.split("|")[1])]


def check_site(site, base):
    """The site is the README's files, each but the icons with a .gz and .br of itself, nothing else;
    served with their types, the encoding asked for, and their cache headers."""
    files = hosting_files()
    compressed = [name + suffix for name in files if not name.endswith(".png") for suffix in (".gz", ".br")]
    if sorted(os.listdir(site)) != sorted(files + compressed):
        fail("the site holds %s, not %s" % (sorted(os.listdir(site)), sorted(files + compressed)))
    for name in files:
        plain = open(os.path.join(site, name), "rb").read()
        if not name.endswith(".png"):
            unbrotli = subprocess.run(["brotli", "-dc", os.path.join(site, name + ".br")], capture_output=True).stdout
            if gzip.decompress(open(os.path.join(site, name + ".gz"), "rb").read()) != plain or unbrotli != plain:
                fail("a compressed copy of %s is not the file" % name)
        for encoding in ("br", "gzip", "identity"):
            request = urllib.request.Request(base + name, headers={"Accept-Encoding": encoding})
            with urllib.request.urlopen(request) as answer:
                got = (answer.headers["Content-Type"], answer.headers.get("Content-Encoding"), answer.headers["Cache-Control"])
                body = answer.read()
            suffix = {"br": ".br", "gzip": ".gz"}.get(encoding, "") if not name.endswith(".png") else ""
            want = (TYPES[os.path.splitext(name)[1]], encoding if suffix else None,
                    "max-age=86400" if name.endswith(".png") else "no-cache")
            if got != want or body != open(os.path.join(site, name + suffix), "rb").read():
                fail("%s asked with %s comes as %s, not %s" % (name, encoding, got, want))
    print("site: %d files and their compressed copies, served with their types, encodings and cache headers" % len(files))


def show(page, url, phase):
    page.driver.get(url)
    wait_until("the page to reach %s" % phase, lambda: page.state()["phase"] == phase)
    return page.driver.execute_script(
        "return [window.whileLoading, document.getElementById('status-text').textContent,"
        " document.getElementById('ended-text').textContent, document.getElementById('again').offsetParent !== null"
        " && document.getElementById('again').textContent]")


def check_fit(page, width, height, mobile):
    page.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                                {"width": width, "height": height, "deviceScaleFactor": 1, "mobile": mobile})
    box, bar, inner, touch = page.driver.execute_script(
        "var canvas = Module.canvas; return [canvas.getBoundingClientRect(), "
        "document.getElementById('bar').getBoundingClientRect(), innerWidth, getComputedStyle(canvas).touchAction]")
    room = bar["top"]
    want = min(width, room * 4 / 3)
    if (inner != width or abs(box["width"] - want) > 1 or abs(box["height"] - want * 3 / 4) > 1
            or abs(box["left"] * 2 + box["width"] - width) > 1 or abs(box["top"] * 2 + box["height"] - room) > 1
            or bar["bottom"] > height or bar["height"] > 80 or touch != "none"):
        fail("in %dx%d the page is %d wide, the canvas at %s, the bar at %s, touch-action %s"
             % (width, height, inner, box, bar, touch))


def tap(page, element_id):
    """A finger on the element's centre, held, then lifted."""
    box = page.driver.execute_script("return document.getElementById('%s').getBoundingClientRect()" % element_id)
    finger = [{"x": box["left"] + box["width"] / 2, "y": box["top"] + box["height"] / 2}]
    for kind, fingers in (("touchStart", finger), ("touchEnd", [])):
        page.driver.execute_cdp_cmd("Input.dispatchTouchEvent", {"type": kind, "touchPoints": fingers})
        time.sleep(browser_game.HOLD)


def check_phone(page, base):
    """A 320 px phone: touch words that fit, and the page's controls go fullscreen and end the run by touch."""
    page.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {"width": 320, "height": 640, "deviceScaleFactor": 1, "mobile": True})
    page.driver.execute_cdp_cmd("Emulation.setTouchEmulationEnabled", {"enabled": True, "maxTouchPoints": 2})
    words = show(page, base + "game/zelmo.html?testclock=10000", "running")[1]
    fits = page.driver.execute_script(
        "var s = document.getElementById('status'), box = s.getBoundingClientRect();"
        "return s.scrollWidth <= s.clientWidth && s.scrollHeight <= s.clientHeight && box.left >= 0 && box.right <= 320")
    if "Tap" not in words or "F1" in words or not fits:
        fail("on a 320 px phone the hint is %r, fitting: %s" % (words, fits))
    tap(page, "fullscreen")
    wait_until("the Fullscreen control to take the canvas fullscreen",
               lambda: page.driver.execute_script("return document.fullscreenElement === Module.canvas"))
    page.driver.execute_script("document.exitFullscreen()")  # as the phone's own way back does
    wait_until("fullscreen to end", lambda: not page.driver.execute_script("return document.fullscreenElement"))
    tap(page, "end")
    wait_until("the End game control to end the run", lambda: page.state()["phase"] == "ended")
    if page.state()["exitCode"] != 0:
        fail("End game ended the run with %s" % page.state())
    page.driver.execute_cdp_cmd("Emulation.setTouchEmulationEnabled", {"enabled": False})
    page.driver.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})
    print("a 320 px phone: %r, fitting; Fullscreen and End game work by touch" % words)


# Folders of the site with a file missing, damaged, throwing or answered badly (the server's faults),
# and what the page says there: its words, and its button (Try again only where it helps).
FAILURES = (("nojs", ["zelmo.html"], {}, "zelmo.js is missing (the server answered 404", False),
            ("nowasm", ["zelmo.html", "zelmo.js"], {}, "zelmo.wasm is missing (the server answered 404", False),
            ("damagedjs", ["zelmo.html"], {"zelmo.js": b"this is not JavaScript ("}, "zelmo.js is damaged (", False),
            ("throwingjs", ["zelmo.html"], {"zelmo.js": b"throw new Error('zelmo.js broke');"},
             "zelmo.js is damaged (zelmo.js broke)", False),
            ("damagedwasm", ["zelmo.html", "zelmo.js"], {"zelmo.wasm": b"\0asm but not more"}, "zelmo.wasm is damaged (", False),
            ("stall", ["zelmo.html", "zelmo.js", "zelmo.wasm"], {}, "taking too long", "Try again"),
            ("drop", ["zelmo.html", "zelmo.js", "zelmo.wasm"], {}, "The connection dropped", "Try again"))


def check_failures(page, base, site, root):
    """Each failure of the start in a sentence, a retry offered only where one can help; after the
    connection dropped once, Try again starts the game."""
    browser_game.QuietHandler.faults.update({"/drop/zelmo.wasm": "drop", "/stall/zelmo.wasm": "hang"})
    urls = []
    for folder, good, bad, words, retry in FAILURES:
        os.mkdir(os.path.join(root, folder))
        for name in good:
            os.symlink(os.path.join(site, name), os.path.join(root, folder, name))
        for name, content in bad.items():
            with open(os.path.join(root, folder, name), "wb") as f:
                f.write(content)
        query = "?startdeadline=1500" if folder == "stall" else ""
        urls.append((base + folder + "/zelmo.html" + query, words, retry))
    for url, words, retry in [("file://%s/zelmo.html" % site, "python3 -m http.server", False)] + urls[:-1] + [
            (base + "game/zelmo.html?nowebgl", "no WebGL", False), urls[-1]]:
        seen = show(page, url, "failed")
        if words not in seen[2] or seen[3] != retry:
            fail("%s: the page says %r, its button %r" % (url, seen[2], seen[3]))
        print("%s: %s" % (url[:30], seen[2][:150]))
    browser_game.QuietHandler.released.set()  # the stalled answer
    page.driver.find_element(browser_game.By.ID, "again").click()  # the connection dropped once only
    wait_until("Try again to start the game", lambda: page.state()["phase"] == "running")
    print("Try again after the dropped connection started the game")


def check_new_build_and_hang(page, site, root):
    """A build changed on the server between two visits runs on the second, though the server lets
    browsers keep its files for an hour; its worker replaces the older build's copy. Then a server that
    accepts and never answers: the page starts from the kept copy."""
    copy = os.path.join(root, "copy")
    shutil.copytree(site, copy)
    url = "http://127.0.0.1:%d/copy/zelmo.html?testclock=10000" % page.server.server_address[1]
    browser_game.QuietHandler.cache_control = "max-age=3600"
    show(page, url, "running")
    wait_until("the page's files to be kept", lambda: page.state()["offlineReady"])
    caches = lambda: [name.split()[-1] for name in page.driver.execute_async_script(  # noqa: E731
        "caches.keys().then(arguments[0])") if "/copy/ " in name]  # this folder's, by build
    first = caches()
    build = re.search(r"var BUILD = '([^']+)'", open(os.path.join(copy, "zelmo-sw.js")).read()).group(1)
    for name, old, new in (("zelmo.js", "", "\nwindow.zelmoNewBuild = true;\n"), ("zelmo-sw.js", build, "new-build")):
        with open(os.path.join(copy, name)) as f:
            text = f.read()
        with open(os.path.join(copy, name), "w") as f:
            f.write(text.replace(old, new) if old else text + new)
        for suffix in (".gz", ".br"):  # served plain: the compressed copies were of the old build
            os.remove(os.path.join(copy, name + suffix))
    show(page, url, "running")
    if not page.evaluate("window.zelmoNewBuild === true"):
        fail("the second visit ran the old build")
    wait_until("the new build's worker to keep its copy alone", lambda: caches() == ["new-build"])
    print("a new build: run on the next visit; kept %s, then %s" % (first, caches()))
    page.server.shutdown()
    page.server.server_close()
    with socket.socket() as silent:  # accepts (the system does, for it) and never answers
        silent.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        silent.bind(page.server.server_address)
        silent.listen(64)
        show(page, url, "running")
        took = page.evaluate("performance.getEntriesByType('navigation')[0].responseStart")
        if not page.evaluate("window.zelmoNewBuild === true"):
            fail("the page started without the kept build")
    print("a server that never answers: the page came from the kept copy after %.1f s, and started" % (took / 1000))


def main():
    site = os.path.abspath(browser_game.arguments(1)[0])
    root = tempfile.mkdtemp(prefix="zelmo-page-")
    os.symlink(site, os.path.join(root, "game"))
    with browser_game.Page(root, test_clock=None, page="") as page:
        base = page.driver.current_url
        check_site(site, base + "game/")
        page.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": BEFORE_PAGE})
        seen = show(page, base + "game/zelmo.html?testclock=10000", "running")
        if seen[0] != ["loading", "inline-block", "Loading zelmo…"] or "Escape" not in seen[1]:
            fail("loading, the status line shows %s; running, %r" % (seen[0], seen[1]))
        version = re.search(r"project\(zelmo VERSION (\S+)", open(os.path.join(os.path.dirname(README), "CMakeLists.txt")).read())[1]
        shown = page.driver.execute_script("return document.getElementById('version').textContent")
        if shown != "zelmo " + version or "var BUILD = '%s-" % version not in open(os.path.join(site, "zelmo-sw.js")).read():
            fail("the page shows %r and its worker's build is not named for version %s" % (shown, version))
        for width, height, mobile in ((1200, 500, False), (412, 915, True), (700, 500, False)):
            check_fit(page, width, height, mobile)
        page.driver.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})
        print("a loading bar, then the hint and the version; the canvas fits 1200x500, a 412x915 phone and 700x500 as the largest 4:3 box")
        problems = page.driver.execute_script(ACCESSIBLE)
        if problems:
            fail("accessibility: %s" % problems)
        print("accessibility: language, title, names, roles, a polite status line, contrast")
        taken = page.driver.execute_script(KEYS)
        if sorted(key for key, prevented in taken.items() if prevented) != ["Escape", "F1"] or len(taken) != 11:
            fail("keys taken from the browser: %s" % taken)
        print("keys: only F1 and Escape taken from the browser")
        check_phone(page, base)
        check_failures(page, base, site, root)
        check_new_build_and_hang(page, site, root)


if __name__ == "__main__":
    browser_game.run(main)
