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
and "Play again" by keyboard are browser_game.py's.) The site behind nginx and Apache too, and a round
behind nginx, axe-core finding nothing; a plain host runs one build whole across an update.
"""
import base64
import contextlib
import functools
import gzip
import hashlib
import http.server
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import browser_game  # noqa: E402
from browser_game import fail, wait_until  # noqa: E402

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
README, WEB = os.path.join(ROOT, "README.md"), os.path.join(ROOT, "platform", "web")
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
    """The files the README's "Hosting" table lists (a pattern each: <digest> is 16 hex digits), with their Cache-Control."""
    text = open(README).read()
    section = text[text.index("## Hosting"):]
    section = section[:section.index("\n## ")]
    return [(re.escape(name).replace("<digest>", "[0-9a-f]{16}"), re.findall(r"`([^`]+)`", row.split("|")[4])[0])
            for row in section.splitlines() if row.startswith("| `") for name in re.findall(r"`([^`]+)`", row.split("|")[1])]


def check_site(site, base):
    """The site is the README's files, each but the icons with a .gz and .br of itself, nothing else, none
    executable; served with their types, the encoding asked for (Vary), and their cache headers; its
    folder's address opens the page."""
    files = {name: cache for pattern, cache in hosting_files() for name in os.listdir(site) if re.fullmatch(pattern, name)}
    compressed = [name + suffix for name in files if not name.endswith(".png") for suffix in (".gz", ".br")]
    if sorted(os.listdir(site)) != sorted(list(files) + compressed) or len(files) != len(hosting_files()) or any(
            os.stat(os.path.join(site, name)).st_mode & 0o111 for name in os.listdir(site)):
        fail("the site holds %s, not %s, or executable files" % (sorted(os.listdir(site)), sorted(list(files) + compressed)))
    for name in files:
        plain = open(os.path.join(site, name), "rb").read()
        if not name.endswith(".png"):
            unbrotli = subprocess.run(["brotli", "-dc", os.path.join(site, name + ".br")], capture_output=True).stdout
            if gzip.decompress(open(os.path.join(site, name + ".gz"), "rb").read()) != plain or unbrotli != plain:
                fail("a compressed copy of %s is not the file" % name)
        for encoding in ("br", "gzip", "identity"):
            request = urllib.request.Request(base + name, headers={"Accept-Encoding": encoding})
            with urllib.request.urlopen(request) as answer:
                got = (answer.headers["Content-Type"], answer.headers.get("Content-Encoding"), answer.headers["Cache-Control"],
                       "Accept-Encoding" in (answer.headers["Vary"] or "") or name.endswith(".png"))
                body = answer.read()
            suffix = {"br": ".br", "gzip": ".gz"}.get(encoding, "") if not name.endswith(".png") else ""
            want = (TYPES[os.path.splitext(name)[1]], encoding if suffix else None, files[name], True)
            if got != want or body != open(os.path.join(site, name + suffix), "rb").read():
                fail("%s from %s asked with %s comes as %s, not %s" % (name, base, encoding, got, want))
    if urllib.request.urlopen(base).read() != open(os.path.join(site, "zelmo.html"), "rb").read():
        fail("%s does not open the page" % base)
    print("site at %s: %d files and their compressed copies, served with their types, encodings and cache headers" % (base, len(files)))


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


def named(site, extension):
    """The site's file of the game with that extension, named by its content."""
    return [name for name in os.listdir(site) if re.fullmatch(r"zelmo\.[0-9a-f]{16}\." + extension, name)][0]


# Folders of the site with a file missing, damaged (not the file the page names: only its digest tells),
# throwing or answered badly (the server's faults), and what the page says: its words, its button.
FAILURES = (("nojs", ["zelmo.html"], {}, "zelmo.js is missing (the server answered 404", False),
            ("nowasm", ["zelmo.html", "zelmo.js"], {}, "zelmo.wasm is missing (the server answered 404", False),
            ("damagedjs", ["zelmo.html"], {"zelmo.js": b"window.notTheGame = 1;"}, "zelmo.js is damaged (", False),
            ("throwingjs", [], {"zelmo.js": b"throw new Error('zelmo.js broke');"},  # its page names it
             "zelmo.js is damaged (zelmo.js broke)", False),
            ("damagedwasm", ["zelmo.html", "zelmo.js"], {"zelmo.wasm": b"\0asm\1\0\0\0"}, "zelmo.wasm is damaged (", False),
            ("stall", ["zelmo.html", "zelmo.js", "zelmo.wasm"], {}, "taking too long", "Try again"),
            ("drop", ["zelmo.html", "zelmo.js", "zelmo.wasm"], {}, "The connection dropped", "Try again"))


def check_failures(page, base, site, root):
    """Each failure of the start in a sentence, a retry offered only where one can help; after the
    connection dropped once, Try again starts the game."""
    names = {"zelmo.html": "zelmo.html", "zelmo.js": named(site, "js"), "zelmo.wasm": named(site, "wasm")}
    browser_game.QuietHandler.faults.update({"/drop/" + names["zelmo.wasm"]: "drop", "/stall/" + names["zelmo.wasm"]: "hang"})
    urls = []
    for folder, good, bad, words, retry in FAILURES:
        os.mkdir(os.path.join(root, folder))
        for name in good:
            os.symlink(os.path.join(site, names[name]), os.path.join(root, folder, names[name]))
        for name, content in bad.items():
            with open(os.path.join(root, folder, names[name]), "wb") as f:
                f.write(content)
            if not good:
                with open(os.path.join(root, folder, "zelmo.html"), "w") as f:
                    f.write(re.sub(r"sha256-[^']+", "sha256-" + base64.b64encode(hashlib.sha256(content).digest()).decode(),
                                   open(os.path.join(site, "zelmo.html")).read(), count=1))
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


def check_new_build_and_hang(page, site, root, second):
    """A build changed on the server between two visits runs on the second (the kept one while its
    zelmo.js is damaged), though the server lets browsers keep its files for an hour, and is all the
    worker keeps. Then a server that accepts and never answers: 20 loads start from the kept copy without
    waiting on it (how soon is make bench's to measure)."""
    copy = os.path.join(root, "copy")
    shutil.copytree(site, copy)
    url = "http://127.0.0.1:%d/copy/zelmo.html?testclock=10000" % page.server.server_address[1]
    browser_game.QuietHandler.cache_control = "max-age=3600"
    show(page, url, "running")
    wait_until("the page's files to be kept", lambda: page.state()["offlineReady"])
    kept = lambda: sorted(page.driver.execute_async_script("var done = arguments[0]; caches.open('zelmo ' + new URL('.', "  # noqa: E731
                                                           "location.href)).then(function(c) { return c.keys(); }).then(function(keys) {"
                                                           " done(keys.map(function(k) { return k.url.split('/').pop(); })); })"))
    js, first = named(second, "js"), kept()
    shutil.copytree(second, copy, dirs_exist_ok=True, ignore=lambda folder, names: [js + ".br", js + ".gz"])
    whole = open(os.path.join(copy, js), "rb").read()
    for content, build in ((whole[:len(whole) // 2], False), (whole, True)):  # damaged on the server, then mended
        with open(os.path.join(copy, js), "wb") as f:
            f.write(content)
        show(page, url, "running")
        if page.evaluate("window.zelmoNewBuild === true") != build:
            fail("with the new zelmo.js %s, the %s build ran" % (("damaged", "whole")[build], ("new", "kept")[build]))
    if kept() != sorted(["zelmo.html"] + [name for name in os.listdir(second) if re.fullmatch(r"zelmo[-0-9]*\.[0-9a-f]{16}\.(js|wasm|webmanifest)|zelmo-32.*", name)]):
        fail("the worker keeps %s" % kept())
    print("a new build: the kept one ran while its zelmo.js was damaged; mended, it ran on the next visit; kept %s, then %s" % (first, kept()))
    page.server.shutdown()
    page.server.server_close()
    # A server that takes each request and never answers; what it was asked for is noted. The kept build
    # must start without waiting on it: only the page (the worker's question) and the worker (the browser's
    # check for a new one, which holds no page) may be asked of it.
    asked = []
    def hold(connection):
        with connection, contextlib.suppress(OSError):
            asked.append(connection.recv(4096).split(b" ")[1:2])
            connection.recv(1)  # until the browser gives up on it
    def take(listener):
        with contextlib.suppress(OSError):
            while True:
                threading.Thread(target=hold, args=(listener.accept()[0],), daemon=True).start()
    with socket.socket() as silent:
        silent.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        silent.bind(page.server.server_address)
        silent.listen(64)
        threading.Thread(target=take, args=(silent,), daemon=True).start()
        took = []
        for load in range(20):  # reloads and navigations in turn
            page.driver.refresh() if load % 2 else page.driver.get(url)
            wait_until("the game to start", lambda: page.state()["phase"] == "running")
            took.append(page.evaluate("performance.getEntriesByName('zelmo: running')[0].startTime") / 1000)
        others = [path for path in asked if not path or not re.match(rb"/\w+/(zelmo\.html|zelmo-sw\.js)", path[0])]
        if not page.evaluate("window.zelmoNewBuild === true") or others or not asked:
            fail("the page started without the kept build, or waited on the server for %s" % others)
    print("a server that never answers: 20 loads started from the kept copy, the server asked only for the page "
          "(%d times), at %s s" % (len(asked), " ".join("%.2f" % s for s in took)))


def second_build(site, root, version, glue):
    """Another build of the site, laid out by make_site.cmake: zelmo.js with glue added, zelmo.wasm changed, another version."""
    build = os.path.join(root, "second")
    os.mkdir(build)
    for extension in ("js", "wasm"):
        shutil.copy(os.path.join(site, named(site, extension)), os.path.join(build, "zelmo." + extension))
    with open(os.path.join(build, "zelmo.js"), "a") as f, open(os.path.join(build, "zelmo.wasm"), "ab") as wasm:
        f.write(glue)
        wasm.write(b"\0\x08\x07zelmo.b")  # a custom section the engine skips: another wasm
    subprocess.run(["cmake", "-DSOURCE=" + WEB, "-DBUILD=" + build, "-DICONS=" + os.path.join(ROOT, "game", "icons"),
                    "-DVERSION=" + version, "-DSITE=" + build + "/site", "-P", WEB + "/make_site.cmake"], check=True)
    return build + "/site"


def check_plain_host(page, site, root, second):
    """A host with no settings (Python's http.server), its files a day old, reached with no worker (as
    over plain http): after a second build is put up over the first, the next visit runs one build
    whole, and a reload (which asks for the page again) the second."""
    root = os.path.join(root, "plain")
    shutil.copytree(site, root + "/game")
    for name in os.listdir(root + "/game"):
        os.utime(os.path.join(root, "game", name), (time.time() - 86400,) * 2)
    server = browser_game.serve(root)
    server.RequestHandlerClass = functools.partial(type("Plain", (http.server.SimpleHTTPRequestHandler,), {
        "log_message": lambda *args: None}), directory=root)
    page.driver.execute_cdp_cmd("Network.enable", {})
    page.driver.execute_cdp_cmd("Network.setBypassServiceWorker", {"bypass": True})
    seen = []
    for visit in range(3):
        page.driver.refresh() if visit == 2 else show(page, "http://127.0.0.1:%d/game/zelmo.html" % server.server_address[1], "running")
        wait_until("the game to run", lambda: page.state()["phase"] == "running")
        seen.append(page.evaluate("[document.getElementById('version').textContent, window.zelmoNewBuild === true, performance"
                                  ".getEntriesByType('resource').filter(function(e) { return /wasm$/.test(e.name); })[0].decodedBodySize]"))
        shutil.copytree(second, root + "/game", dirs_exist_ok=True)
    page.driver.execute_cdp_cmd("Network.setBypassServiceWorker", {"bypass": False})
    server.shutdown()
    sizes = [os.path.getsize(os.path.join(folder, named(folder, "wasm"))) for folder in (site, second)]
    if seen[0][1:] != [False, sizes[0]] or seen[1] not in (seen[0], seen[2]) or seen[2] != ["zelmo 9.9.9", True, sizes[1]]:
        fail("on a plain host, the pages and the builds that ran before and after an update: %s" % seen)
    print("a plain host: %s, then after an update %s, and reloaded %s, each whole" % tuple(seen))


def check_round(page, base):
    """A whole round behind the host at base (its folder's address): the title, launches blasted at once
    until the charges are spent and the banner shows, a click into the next round, Escape; axe-core
    finds nothing on the title, in play and on the ended page."""
    axe = os.path.join(ROOT, "third_party", "axe-core", "axe.min.js")
    audited = os.path.exists(axe) or os.path.exists(os.path.join(ROOT, ".git"))  # a release tree leaves it out
    if not audited:
        print("no axe-core in a release tree (it comes without its source): the audit is a git checkout's")

    def check_axe(where):
        if not audited:
            return
        page.driver.execute_script(open(axe).read())
        found = page.driver.execute_async_script("axe.run(document).then(function(r) { return r.violations.map(function(v) {"
                                                 " return [v.id, v.nodes.map(function(n) { return n.target; })]; }); }).then(arguments[0])")
        if found:
            fail("axe-core on %s: %s" % (where, found))
    page.driver.get(base + "?testclock=10000")
    wait_until("the game to start", lambda: page.state()["phase"] == "running")
    page.point, page.phone, page.touched = (0, 0), False, None
    page.clock(10000)
    page.clock(11000)
    check_axe("the title")
    page.move(700, 100)
    page.press(browser_game.MouseButton.LEFT)
    banner = lambda: all(r > 200 and 100 < g < 190 and b < 120 for r, g, b in  # noqa: E731  (orange, not the title's yellow)
                         (page.picture().getpixel(point) for point in ((100, 300), (400, 300))))
    clock, launches = 11000, 0
    while not banner() and launches < 30:
        launches += 1
        page.press(browser_game.MouseButton.LEFT)
        page.clock(clock + 100)
        page.press(browser_game.MouseButton.RIGHT)
        clock += 2000
        page.clock(clock)
        if launches == 1:
            check_axe("the play")
    page.press(browser_game.MouseButton.LEFT)  # on the banner: the next round
    if not 5 <= launches < 30 or banner():
        fail("the banner after %d launches of a round's 5 charges, or after a click on it" % launches)
    page.key(browser_game.Keys.ESCAPE)
    wait_until("Escape to end the run", lambda: page.state()["phase"] == "ended")
    check_axe("the ended page")
    print("behind %s: a round of %d launches to the banner, the next round, Escape; axe-core: no violation on the"
          " title, the play and the ended page" % (base, launches))


def main():
    site = os.path.abspath(browser_game.arguments(1)[0])
    root = tempfile.mkdtemp(prefix="zelmo-page-")
    os.symlink(site, os.path.join(root, "game"))
    second = second_build(site, root, "9.9.9", "\nwindow.zelmoNewBuild = true;\n")
    with browser_game.Page(root, test_clock=None, page="") as page:
        base = page.driver.current_url
        check_site(site, base + "game/")
        for kind in ("nginx", "apache"):
            with browser_game.site_server.behind(kind, site) as (address, _):
                check_site(site, address)
                if kind == "nginx":
                    check_round(page, address)
        page.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": BEFORE_PAGE})
        seen = show(page, base + "game/zelmo.html?testclock=10000", "running")
        if seen[0] != ["loading", "inline-block", "Loading zelmo…"] or "Escape" not in seen[1]:
            fail("loading, the status line shows %s; running, %r" % (seen[0], seen[1]))
        version = re.search(r"project\(zelmo VERSION (\S+)", open(os.path.join(os.path.dirname(README), "CMakeLists.txt")).read())[1]
        shown = page.driver.execute_script("return document.getElementById('version').textContent")
        if shown != "zelmo " + version:
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
        check_plain_host(page, site, root, second)
        check_new_build_and_hang(page, site, root, second)


if __name__ == "__main__":
    browser_game.run(main)
