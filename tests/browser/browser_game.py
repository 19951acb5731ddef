#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""The browser build in headless Chromium, played as a person plays it, against the native build.

Usage: browser_game.py SITE_DIR REFERENCE_FRAMES SCRIPT ZELMO NATIVE_RECORD

Serves the site (make web: build-web/site) on a local port as make serve does, plays SCRIPT in the page (held mouse buttons,
the game on a clock the test sets through zelmo.html?testclock) and compares each named frame with
the one REFERENCE_FRAMES draws natively for the same script. Critters turn at random on every
frame, so the boxes they may stand in are left out of the comparison; that they stand there is
checked on its own. The run's record, saved from the page, replays natively (ZELMO --check); the
one the native game made (NATIVE_RECORD, from e2e_game), dropped on the page, replays there.
"""
import base64
import functools
import http.server
import io
import math
import os
import subprocess
import sys
import tempfile
import threading
import time

from PIL import Image, ImageChops, ImageDraw
from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.actions.action_builder import ActionBuilder
from selenium.webdriver.common.actions.mouse_button import MouseButton
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "platform", "web"))
import serve as site_server  # noqa: E402

WIDTH, HEIGHT = 800, 600
START_CLOCK = 10000
DEADLINE = 60  # seconds any one wait may take, on a busy machine
HOLD = 0.15  # seconds a button is held
TOASTED_BOX = (195, 562, 330, 592)  # where "Toasted:%d" is printed
MEAN_LIMIT = 4.0  # mean difference per pixel (0..255, the largest of the three channels)
OFF_LIMIT = 0.0005  # share of pixels that may differ by more than OFF_LEVEL (glyph and edge rasterisation)
OFF_LEVEL = 64


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def poll(check, seconds=DEADLINE):
    """check's first true value, tried every 50 ms; None when the seconds pass first."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        value = check()
        if value:
            return value
        time.sleep(0.05)
    return None


def wait_until(what, check):
    return poll(check) or fail("timed out waiting for " + what)


def arguments(count):
    """The command line's count arguments; without them, the script's usage and code 2."""
    if len(sys.argv) != count + 1:
        print(sys.modules["__main__"].__doc__)
        sys.exit(2)
    return sys.argv[1:]


def run(main):
    """Runs a test's main: PASS and code 0 when it returns (fail() has ended it with code 1 otherwise)."""
    main()
    print("PASS")
    sys.exit(0)


class Page:
    """The game's page in headless Chromium, served from root; on the test's own clock unless test_clock is None."""

    def __init__(self, root, test_clock=START_CLOCK, extra_arguments=(), page="zelmo.html", phone=False):
        self.server = serve(root)
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for argument in ("--headless=new", "--use-angle=swiftshader", "--enable-unsafe-swiftshader", "--no-sandbox",
                         "--window-size=%d,%d" % (WIDTH + 200, HEIGHT + 300), "--force-device-scale-factor=1",
                         "--hide-scrollbars", "--disable-background-timer-throttling", "--disable-dev-shm-usage") + tuple(extra_arguments):
            options.add_argument(argument)
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        self.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        self.driver.set_script_timeout(DEADLINE)
        url = "http://127.0.0.1:%d/%s" % (self.server.server_address[1], page)
        if test_clock is not None:
            url += "?testclock=%d" % test_clock
        self.driver.get(url)
        if page != "zelmo.html":
            return
        self.wait_for_start()
        self.canvas = self.driver.find_element(By.ID, "canvas")
        self.point = (WIDTH // 2, HEIGHT // 2)
        self.phone, self.touched = phone, None  # with fingers: where the last was lifted, None before the first
        if phone:  # the canvas at about half its pixels
            self.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {"width": 412, "height": 915, "deviceScaleFactor": 1, "mobile": True})
            self.driver.execute_cdp_cmd("Emulation.setTouchEmulationEnabled", {"enabled": True, "maxTouchPoints": 2})

    # The page's closing goes with the with-statement that made it.
    def __enter__(self):
        return self

    def __exit__(self, *error):
        self.close()

    # What a JavaScript expression comes to in the page.
    def evaluate(self, expression):
        return self.driver.execute_script("return " + expression)

    def wait_for_start(self):
        wait_until("the game to start", lambda: self.state()["phase"] != "loading")
        if self.state()["phase"] != "running":
            fail("the page did not start the game: %s" % self.state())

    def state(self):
        return self.evaluate("window.zelmoState")

    def frames(self):
        return self.evaluate("Module._zelmoFramesShown()")

    # Waits until the game has shown two more frames: a whole tick after whatever came before.
    def settle(self):
        target = self.frames() + 2
        wait_until("the game to draw", lambda: self.frames() >= target)
        if self.state()["phase"] != "running":
            fail("the game stopped: %s" % self.state())

    def clock(self, ms):
        self.evaluate("Module.testClock = %d" % ms)
        self.settle()

    # The page shows the canvas scaled, at least 1:1: the first whole page pixel in canvas pixel (x, y).
    def page_pixel(self, x, y):
        box = self.evaluate("Module.canvas.getBoundingClientRect()")
        scale = box["width"] / WIDTH
        return math.ceil(box["left"] + x * scale), math.ceil(box["top"] + y * scale)

    def move(self, x, y):
        self.point = (x, y)
        if self.phone:
            return  # no finger hovers: the next touch goes there
        actions = ActionBuilder(self.driver, duration=0)
        actions.pointer_action.move_to_location(*self.page_pixel(x, y))
        actions.perform()
        self.settle()

    # Fingers at canvas pixels' centres (between the page's pixels). Left: a tap the first time (the
    # title), then a drag from the last touch's place; right: a second finger while the first is down.
    def press_finger(self, button):
        box, p = self.driver.execute_script("return Module.canvas.getBoundingClientRect()"), self.point
        at = lambda *points: [{"x": box["left"] + (x + 0.5) * box["width"] / WIDTH, "id": i,  # noqa: E731
                               "y": box["top"] + (y + 0.5) * box["height"] / HEIGHT} for i, (x, y) in enumerate(points)]
        steps = ([("touchStart", at(p)), ("touchStart", at(p, p)), ("touchMove", at(p))] if button == MouseButton.RIGHT
                 else [("touchStart", at(self.touched)), ("touchMove", at(p))] if self.touched else [("touchStart", at(p))])
        for kind, fingers in steps + [("touchEnd", [])]:
            self.driver.execute_cdp_cmd("Input.dispatchTouchEvent", {"type": kind, "touchPoints": fingers})
            if len(steps) > 1 or kind == "touchEnd":
                time.sleep(HOLD)
                self.settle()
        self.touched = p

    def press(self, button):
        if self.phone:
            return self.press_finger(button)
        actions = ActionBuilder(self.driver, duration=0)
        actions.pointer_action.pointer_down(button)
        actions.pointer_action.pause(HOLD)
        actions.perform()
        self.settle()
        actions = ActionBuilder(self.driver, duration=0)
        actions.pointer_action.pointer_up(button)
        actions.perform()
        self.settle()

    def key(self, key):
        ActionChains(self.driver, duration=0).key_down(key).pause(HOLD).key_up(key).perform()

    def fullscreen(self):
        return self.driver.execute_script("return document.fullscreenElement === Module.canvas")

    # The canvas's own pixels, whatever size the page shows it at.
    def picture(self):
        data = self.evaluate("Module.canvas.toDataURL('image/png')")
        image = Image.open(io.BytesIO(base64.b64decode(data.split(",", 1)[1]))).convert("RGB")
        if image.size != (WIDTH, HEIGHT):
            fail("the canvas shows %s, not %dx%d" % (image.size, WIDTH, HEIGHT))
        return image

    def close(self):
        self.driver.quit()
        self.server.shutdown()


def serve(root, port=0):
    """An http server for the files under root on a local port (a free one by default), on a thread of its own."""
    server = http.server.ThreadingHTTPServer(("127.0.0.1", port), functools.partial(QuietHandler, directory=root))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


class QuietHandler(site_server.SiteHandler):
    """make serve's handler, quiet, with the faults a test asks for."""
    answered = []  # [path, status, body bytes sent] of every request, for tests that look at them
    # Request paths the server answers badly: "drop" closes the connection unanswered (once), "hang"
    # gives no answer until released is set (or the deadline passes).
    faults = {}
    released = threading.Event()
    cache_control = None  # sent instead of make serve's, when set

    def send_head(self):
        path = self.path.split("?")[0]
        fault = QuietHandler.faults.get(path)
        if fault == "drop":
            del QuietHandler.faults[path]
        elif fault == "hang":
            QuietHandler.released.wait(DEADLINE)
        if fault:
            self.close_connection = True
            return None
        return super().send_head()

    def log_request(self, code="-", size="-"):
        self.answer = [self.path, int(code), 0]
        QuietHandler.answered.append(self.answer)

    def send_header(self, keyword, value):
        if keyword == "Content-Length":
            self.answer[2] = int(value)
        if keyword == "Cache-Control" and QuietHandler.cache_control:
            value = QuietHandler.cache_control
        super().send_header(keyword, value)

    def log_message(self, *args):
        pass


def difference(a, b):
    """Per pixel, the largest difference of the three channels."""
    red, green, blue = ImageChops.difference(a, b).split()
    return ImageChops.lighter(ImageChops.lighter(red, green), blue)


def mean(image):
    histogram = image.histogram()
    return sum(level * count for level, count in enumerate(histogram)) / max(1, sum(histogram))


def share_above(image, level):
    histogram = image.histogram()
    return sum(histogram[level + 1:]) / max(1, sum(histogram))


def critter_boxes(critters, margin):
    return [(x - margin, y - margin, x + 32 + margin, y + 32 + margin) for x, y in critters]


def compare(name, seen, expected, masked):
    diff = difference(seen, expected)
    draw = ImageDraw.Draw(diff)
    for box in masked:
        draw.rectangle(box, fill=0)
    m, off = mean(diff), share_above(diff, OFF_LEVEL)
    print("%s: mean difference %.2f, %.3f%% of pixels off" % (name, m, 100 * off))
    if m > MEAN_LIMIT or off > OFF_LIMIT:
        seen.save("/tmp/zelmo-browser-%s.png" % name)
        fail("frame %s differs from the native one (saved /tmp/zelmo-browser-%s.png)" % (name, name))


def check_field(seen, expected, background, critters):
    found = 0
    for box in critter_boxes(critters, 0):
        region_seen, region_background = seen.crop(box), background.crop(box)
        if mean(difference(region_seen, region_background)) > 8:
            found += 1
    print("field: %d critters seen where the round put them" % found)
    if found != len(critters):
        fail("%d of %d critters on the field" % (found, len(critters)))
    text_seen, text_expected = seen.crop(TOASTED_BOX), expected.crop(TOASTED_BOX)
    if mean(difference(text_seen, background.crop(TOASTED_BOX))) < 8:
        seen.save("/tmp/zelmo-browser-field.png")
        fail("no text where Toasted:0 belongs")
    if mean(difference(text_seen, text_expected)) > 2 * MEAN_LIMIT:
        seen.save("/tmp/zelmo-browser-field.png")
        fail("the Toasted text differs from the native one")


def save_replay(page):
    """The ended page's "Save replay": the run's record, downloaded; its path."""
    folder = tempfile.mkdtemp(prefix="zelmo-saved-")
    page.driver.execute_cdp_cmd("Browser.setDownloadBehavior", {"behavior": "allow", "downloadPath": folder})
    page.driver.execute_script("document.getElementById('save-replay').click()")
    saved = lambda: [os.path.join(folder, f) for f in os.listdir(folder) if f.endswith(".zrec")]  # noqa: E731
    return wait_until("the record to be saved", saved)[0]


def check_replays(web, zelmo, native_record, saved):
    """The page's record replays natively, and the native one, dropped on the page, there: every checkpoint
    matching in both."""
    native = subprocess.run([zelmo, "--replay", saved, "--check"], capture_output=True, text=True)
    if native.returncode != 0 or "every checkpoint matching" not in native.stdout:
        fail("the page's record replays natively with %d: %s%s" % (native.returncode, native.stdout, native.stderr))
    print("the page's record, natively: " + native.stdout.strip())
    with Page(web) as page:
        page.driver.execute_script("""var bytes = Uint8Array.from(atob(arguments[0]), function(c) { return c.charCodeAt(0); });
            var dropped = new DataTransfer();
            dropped.items.add(new File([bytes], 'native.zrec'));
            document.dispatchEvent(new DragEvent('drop', {dataTransfer: dropped, bubbles: true, cancelable: true}));""",
                                   base64.b64encode(open(native_record, "rb").read()).decode())
        replaying = lambda: page.evaluate("window.zelmoState && zelmoState.replay") == "native.zrec"  # noqa: E731
        wait_until("the dropped record to start a replay", replaying)
        poll(lambda: page.state()["phase"] == "ended", 8 * DEADLINE) or fail("the replay in the page did not end")
        said = page.driver.find_element(By.ID, "ended-text").text
        if page.state()["exitCode"] != 0 or "every checkpoint matching" not in said:
            fail("the native record replays in the page with %s: %s" % (page.state()["exitCode"], said))
        print("the native record, in the page: " + said)


def check_fullscreen_and_escape(page):
    """F1 takes the canvas fullscreen and back while the game goes on; Escape ends the run, the page
    says so and, its files kept and the server stopped, starts a new one from "Play again", which
    has the focus and is reached by Tab."""
    for wanted in (True, False):
        page.key(Keys.F1)
        wait_until("F1 to switch fullscreen %s" % ("on" if wanted else "off"), lambda: page.fullscreen() == wanted)
        page.settle()
        size = page.driver.execute_script("return [Module.canvas.width, Module.canvas.height]")
        if size != [WIDTH, HEIGHT]:
            fail("the canvas is %s after F1" % size)
    print("F1: fullscreen and back, the game drawing throughout")
    errors = page.state()["errors"]
    if errors:
        fail("the game reported: %s" % errors)
    wait_until("the page's files to be kept", lambda: page.state()["offlineReady"])
    page.server.shutdown()
    page.server.server_close()
    page.key(Keys.ESCAPE)
    wait_until("Escape to end the run", lambda: page.state()["phase"] == "ended")
    if page.state()["exitCode"] != 0:
        fail("the run ended with %s" % page.state())
    again = page.driver.find_element(By.ID, "again")
    if not again.is_displayed() or "ended" not in page.driver.find_element(By.ID, "ended-text").text:
        fail("the page does not say that the game has ended")
    focused = lambda: page.driver.switch_to.active_element == again  # noqa: E731
    if not focused():
        fail("Play again does not have the focus")
    page.driver.execute_script("document.activeElement.blur()")
    for _ in range(5):  # past the page's other buttons and the browser's own stop, where it has one
        page.key(Keys.TAB)
        if focused():
            break
    else:
        fail("Tab does not reach Play again")
    saved = save_replay(page)
    page.key(Keys.ENTER)
    wait_until("a new run", lambda: page.state()["phase"] == "running" and page.frames() > 0)
    print("Escape: the run ended with code 0, the page said so; with the server stopped, Tab and Enter on"
          " Play again started another")
    return saved


def clear_box(critters, side):
    """The top-left of a side x side box on the field, clear of the critters (and of the bottom plank)."""
    boxes = critter_boxes(critters, 12)
    for y in range(8, 540 - side, 16):
        for x in range(8, WIDTH - side, 16):
            if all(x + side < b[0] or x > b[2] or y + side < b[1] or y > b[3] for b in boxes):
                return x, y
    fail("no room clear of the critters")


def check_hidden(page, critters):
    """Behind another tab the page is a minimised window: no frame runs, and the left button held as it
    hid is let go (the hand shows it); back in front, the game goes on with the button up."""
    x, y = clear_box(critters, 150)
    page.move(x + 8, y + 8)
    hand = lambda: page.picture().crop((x, y, x + 150, y + 150))  # noqa: E731
    idle = hand()
    actions = ActionBuilder(page.driver, duration=0)
    actions.pointer_action.pointer_down(MouseButton.LEFT)
    actions.perform()
    page.settle()
    pressed = lambda: share_above(difference(hand(), idle), 40) > 0.005  # noqa: E731  (the thumb: about 3 %)
    if not pressed():
        fail("the hand does not show the held button")
    other = page.driver.execute_cdp_cmd("Target.createTarget", {"url": "about:blank"})
    wait_until("the page to be hidden", lambda: page.driver.execute_script("return document.hidden"))
    shown = page.frames()
    time.sleep(1)  # ten turns of the 100 ms timer that kept a hidden page playing
    if page.frames() != shown:
        fail("%d frames shown while the page was hidden" % (page.frames() - shown))
    page.driver.execute_cdp_cmd("Target.closeTarget", other)
    page.settle()
    if pressed():
        fail("the left button held as the page hid is still down when it shows again")
    actions = ActionBuilder(page.driver, duration=0)
    actions.pointer_action.pointer_up(MouseButton.LEFT)
    actions.perform()
    page.settle()
    print("hidden: no frame in a second, the held button let go; shown again, the game drew on")


def check_console(page):
    """Nothing the page or the browser said in the console, warnings and errors, since the last look."""
    said = [entry["message"] for entry in page.driver.get_log("browser") if entry["level"] in ("WARNING", "SEVERE")]
    if said:
        fail("the console has: %s" % said)


def play_script(page, reference_tool, script):
    """Plays SCRIPT in the page and compares its frames with those REFERENCE_TOOL draws natively."""
    references = tempfile.mkdtemp(prefix="zelmo-reference-")
    environment = dict(os.environ, SDL_VIDEODRIVER="offscreen")
    subprocess.run([reference_tool, script, references], check=True, env=environment)
    critters = [tuple(int(v) for v in line.split()) for line in open(os.path.join(references, "critters.txt"))]
    background = Image.open(os.path.join(references, "background.ppm")).convert("RGB")
    steps_since_field = 0
    for line in open(script):
        words = line.split()
        if not words or words[0].startswith("#"):
            continue
        if words[0] == "clock":
            page.clock(int(words[1]))
            steps_since_field += 1
        elif words[0] == "move":
            page.move(int(words[1]), int(words[2]))
        elif words[0] == "press":
            page.press(MouseButton.LEFT if words[1] == "left" else MouseButton.RIGHT)
        elif words[0] == "frame":
            name = words[1]
            seen = page.picture()
            expected = Image.open(os.path.join(references, name + ".ppm")).convert("RGB")
            on_field = name != "title"
            # A critter steps at most a pixel each time the clock moves on.
            masked = critter_boxes(critters, 1 + steps_since_field) if on_field else []
            compare(name, seen, expected, masked)
            if name == "field":
                check_field(seen, expected, background, critters)
                steps_since_field = 0
        else:
            fail("cannot read the script line: " + line)
    return critters


def main():
    web, reference_tool, script, zelmo, native_record = arguments(5)
    with Page(web) as page:
        critters = play_script(page, reference_tool, script)
        check_hidden(page, critters)
        check_console(page)
        print("console: nothing said")
        saved = check_fullscreen_and_escape(page)
        failed = [answer[:2] for answer in QuietHandler.answered if answer[1] >= 400]
        if failed:
            fail("requests failed: %s" % failed)
        print("%d requests, none failed" % len(QuietHandler.answered))
    with Page(web, phone=True) as page:  # the script again on a phone, with fingers
        play_script(page, reference_tool, script)
    check_replays(web, zelmo, native_record, saved)


if __name__ == "__main__":
    run(main)
