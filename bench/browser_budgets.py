#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""The page's budgets in headless Chromium, each beside its budget and the figure the page started from.

Usage: browser_budgets.py SITE_DIR [SECONDS]

One visit on the browser's own clock, as a player makes it, served as make serve serves the site:
the bytes the server sends (compressed as the browser asks) until the page's files are kept, the
time from navigation to the page's mark of its first picture (the title: "zelmo: first picture")
and that less the game's 1000 ms pause, the longest main-thread task and stall until then (and the
longest of the page's own: all but the one in which the browser makes the WebGL context), and the browser's
CPU while the page is hidden behind another tab (against the same browser with the game's tab
closed); then the start again on a second visit. (Frames in play: browser_frame_rate.py.)
"""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "browser"))
import browser_game  # noqa: E402
from selenium import webdriver  # noqa: E402
from selenium.webdriver.chrome.service import Service  # noqa: E402
from selenium.webdriver.common.actions.action_builder import ActionBuilder  # noqa: E402

PAUSE_MS = 1000  # the game's start-up pause before its title
TITLE_MARK = "zelmo: first picture"

# Installed before the page's own scripts: long tasks, the time of each frame the page shows (seen at
# its animation frames), and when the page marked its first picture.
WATCH = """
window.budget = {longTasks: [], frameTimes: [], titleAt: null, context: [], visibility: [], stalls: []};
// The longest the main thread left a 10 ms timer waiting before the title: a block the long-task
// entries may not show (Chromium reports no task for the first WebGL context's making).
var lastTick = performance.now();
var ticking = setInterval(function() {
  if (performance.now() - lastTick > 60) budget.stalls.push([lastTick, performance.now() - lastTick - 10]);
  lastTick = performance.now();
  if (budget.titleAt !== null) clearInterval(ticking);
}, 10);
document.addEventListener('visibilitychange', function() {
  budget.visibility.push([document.visibilityState, Module._zelmoFramesShown(), performance.now()]);
});
new PerformanceObserver(function(list) {
  list.getEntries().forEach(function(entry) { budget.longTasks.push([entry.startTime, entry.duration]); });
}).observe({type: 'longtask', buffered: true});
new PerformanceObserver(function(list) {
  list.getEntries().forEach(function(entry) {
    if (entry.name === '%s') budget.titleAt = entry.startTime;
    if (entry.name.indexOf('WebGL context') >= 0) budget.context.push(entry.startTime);  // its making, begun and done
  });
}).observe({type: 'mark', buffered: true});
var shown = 0;
(function watch() {
  requestAnimationFrame(watch);
  var count = 0;
  try { count = Module._zelmoFramesShown(); } catch (notYet) {}
  if (count !== shown) {
    shown = count;
    budget.frameTimes.push(performance.now());
  }
})();
""" % TITLE_MARK


def browser(arguments=()):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for argument in ("--headless=new", "--use-angle=swiftshader", "--enable-unsafe-swiftshader", "--no-sandbox",
                     "--window-size=1000,900", "--disable-dev-shm-usage") + tuple(arguments):
        options.add_argument(argument)
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    driver.set_script_timeout(browser_game.DEADLINE)
    return driver


def browser_cpu_ticks(driver):
    """User and system CPU of each of the browser's processes (every descendant of chromedriver) so far."""
    tree = subprocess.run(["ps", "-e", "-o", "pid=,ppid="], capture_output=True, text=True).stdout.split()
    children = {}
    for pid, ppid in zip(tree[0::2], tree[1::2]):
        children.setdefault(int(ppid), []).append(int(pid))
    ticks, todo = {}, [driver.service.process.pid]
    while todo:
        pid = todo.pop()
        todo += children.get(pid, [])
        try:
            fields = open("/proc/%d/stat" % pid).read().rsplit(")", 1)[1].split()
            ticks[pid] = int(fields[11]) + int(fields[12])
        except OSError:
            pass
    return ticks


def cpu_share(driver, seconds):
    """Per cent of a core the browser's processes used over the seconds (those alive throughout)."""
    start, at = browser_cpu_ticks(driver), time.monotonic()
    time.sleep(seconds)
    end = browser_cpu_ticks(driver)
    used = sum(end[pid] - start[pid] for pid in start if pid in end) / os.sysconf("SC_CLK_TCK")
    return 100 * used / (time.monotonic() - at)


def start_up(driver, url):
    """Navigates to url: navigation to the title (ms), the longest task and main-thread stall until then,
    and the longest of each but the one the browser makes the WebGL context in (the page marks it)."""
    driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": WATCH})  # in this tab
    driver.get(url)
    budget = lambda: driver.execute_script("return window.budget")  # noqa: E731
    browser_game.wait_until("the title", lambda: budget()["titleAt"])
    title_at, context = budget()["titleAt"], budget()["context"]  # from the navigation's start
    own = lambda spans: [d for start, d in spans if not any(start <= mark <= start + d for mark in context)]  # noqa: E731
    tasks = [(start, duration) for start, duration in budget()["longTasks"] if start < title_at]
    stalls = [(start, duration) for start, duration in budget()["stalls"] if start < title_at]
    return (title_at, max([duration for start, duration in tasks] or [0]), max([d for s, d in stalls] or [0]),
            max(own(tasks) or [0]), max(own(stalls) or [0]))


def click_canvas(driver):
    """A held click at the canvas's centre."""
    box = driver.execute_script("return Module.canvas.getBoundingClientRect()")
    for step in ("pointer_down", "pause", "pointer_up"):
        actions = ActionBuilder(driver, duration=0)
        actions.pointer_action.move_to_location(int(box["left"] + box["width"] / 2), int(box["top"] + box["height"] / 2))
        getattr(actions.pointer_action, step)(*([browser_game.HOLD] if step == "pause" else []))
        actions.perform()


def main():
    site = sys.argv[1]
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 5.0
    server = browser_game.serve(site)
    driver = browser()
    try:
        url = "http://127.0.0.1:%d/zelmo.html" % server.server_address[1]
        title_at, longest, stall, own, own_stall = start_up(driver, url)
        browser_game.wait_until("the page's files to be kept", lambda: driver.execute_script("return zelmoState.offlineReady"))
        answered = list(browser_game.QuietHandler.answered)
        sent = sum(size for path, code, size in answered)
        budget = lambda: driver.execute_script("return window.budget")  # noqa: E731

        click_canvas(driver)  # past the title, into a round
        time.sleep(1)  # the round under way
        game_tab = driver.current_window_handle
        driver.switch_to.new_window("tab")
        hidden = cpu_share(driver, seconds)
        driver.switch_to.window(game_tab)
        driver.execute_cdp_cmd("Page.bringToFront", {})
        browser_game.wait_until("the page shown again", lambda: len(budget()["visibility"]) >= 2)
        (was, frames, at), (now, frames_after, back) = budget()["visibility"][:2]
        if was != "hidden":
            browser_game.fail("the page was not hidden behind the new tab: %s" % budget()["visibility"])
        hidden_rate = (frames_after - frames) / ((back - at) / 1000)
        driver.close()
        driver.switch_to.window(driver.window_handles[0])
        idle = cpu_share(driver, seconds)
        again = start_up(driver, url)  # a second visit: the files kept, their compiled code too
    finally:
        driver.quit()
        server.shutdown()

    load = open("/proc/loadavg").read().split()[0]
    print("browser budgets, headless Chromium (SwiftShader WebGL), load average %s:" % load)
    rows = [("bytes sent on the first visit", "%.0f KB (%d answers)" % (sent / 1024, len(answered)), "150 KB", "not measured"),
            ("navigation to the title mark", "%.0f ms (%.0f again)" % (title_at, again[0]), "", ""),
            ("  less the pause", "%.0f ms (%.0f again)" % (title_at - PAUSE_MS, again[0] - PAUSE_MS), "1500 ms", "9 to 10 s"),
            ("longest main-thread task to the title", "%.0f ms (%.0f ms again)" % (longest, again[1]), "", "235 to 390 ms"),
            ("  but the WebGL context's making", "%.0f ms (%.0f ms again)" % (own, again[3]), "100 ms", "not measured"),
            ("  the longest stall of a 10 ms timer", "%.0f ms (%.0f ms again)" % (stall, again[2]), "", "not measured"),
            ("  but the WebGL context's making", "%.0f ms (%.0f ms again)" % (own_stall, again[4]), "100 ms", "not measured"),
            ("browser CPU, game hidden behind a tab", "%.1f %% of a core (%.1f frames/s)" % (hidden, hidden_rate),
             "1 %", "23 to 28 % (9.5 frames/s)"),
            ("browser CPU, game's tab closed", "%.1f %% of a core" % idle, "", "")]
    print("  %-42s %-32s %-10s %s" % ("", "now", "budget", "at the start"))
    for row in rows:
        print("  %-42s %-32s %-10s %s" % row)
    print("  answers of the first visit: %s" % ", ".join("%s %d %d" % tuple(answer) for answer in answered))


if __name__ == "__main__":
    main()
