#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""The page's play frame rate in headless Chromium against the bare WebGL page (bench/browser_bare.html).

Usage: browser_frame_rate.py SITE_DIR [SECONDS] [ROUNDS] [OTHER_SITE_DIR]

In one browser, in turn ROUNDS times: the game's page on the browser's own clock, clicked past the
title into a round; the bare page drawing the same textured quads plainly (800 x 600, not scaled,
its drawing buffer not kept); and the bare page scaled as the game's page shows its canvas. Each is
watched for SECONDS at the page's animation frames: frames a second and the 50th and
95th-percentile gaps between the frames it shows, and the CPU the browser spent for each frame shown
(all its processes, and the GPU process, where WebGL commands run and the page is composited, apart):
on a busy machine the frame rates swing from round to round with what else runs, the CPU a frame
costs far less. Then the same with Chromium's frame-rate limit off, which shows what each can draw.
The game's figures over each bare page's are the ratios (medians of the rounds); the load average is
printed with them. OTHER_SITE_DIR, another build of the site (the one before a change, say), is
watched in turn with the others and compared with them and with SITE_DIR's.
"""
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "browser"))
import browser_budgets  # noqa: E402
import browser_game  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))


def gpu_process(pid):
    try:
        return "--type=gpu-process" in open("/proc/%d/cmdline" % pid).read()
    except OSError:
        return False


def watch_play(driver, url, game, seconds):
    """Frames a second, p50 and p95 gap (ms) of the page at url over the seconds, once it plays, and the
    browser's CPU (ms) for each frame shown: all of it, and its GPU process's."""
    driver.get(url)
    budget = lambda: driver.execute_script("return window.budget")  # noqa: E731
    browser_game.wait_until("the page to draw", lambda: len(budget()["frameTimes"]) > 10)
    if game:
        browser_game.wait_until("the title", lambda: budget()["titleAt"])
        browser_budgets.click_canvas(driver)  # past the title, into a round
    time.sleep(1)  # under way
    first, start = len(budget()["frameTimes"]), browser_budgets.browser_cpu_ticks(driver)
    time.sleep(seconds)
    times, end = budget()["frameTimes"][first:], browser_budgets.browser_cpu_ticks(driver)
    gaps = sorted(b - a for a, b in zip(times, times[1:]))
    rate = (len(times) - 1) / ((times[-1] - times[0]) / 1000)
    used = {pid: (end[pid] - start[pid]) * 1000 / os.sysconf("SC_CLK_TCK") / len(times) for pid in start if pid in end}
    gpu = sum(ms for pid, ms in used.items() if gpu_process(pid))
    return rate, gaps[len(gaps) // 2], gaps[int(0.95 * (len(gaps) - 1))], sum(used.values()), gpu


def measure(site, other, seconds, rounds, arguments):
    """The game's and the bare page's figures (and the other build's, when given), each a list over the rounds."""
    game_server, bare_server = browser_game.serve(site), browser_game.serve(HERE)
    other_server = browser_game.serve(other) if other else None
    driver = browser_budgets.browser(arguments)
    driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": browser_budgets.WATCH})
    pages = {"game": (game_server, "zelmo.html"), "bare": (bare_server, "browser_bare.html"),
             "bare scaled": (bare_server, "browser_bare.html?scaled")}
    if other:
        pages["other build"] = (other_server, "zelmo.html")
    figures = {name: [] for name in pages}
    try:
        for _ in range(rounds):
            for name, (server, page) in pages.items():
                url = "http://127.0.0.1:%d/%s" % (server.server_address[1], page)
                figures[name].append(watch_play(driver, url, name in ("game", "other build"), seconds))
    finally:
        driver.quit()
        for server in (game_server, bare_server, other_server):
            if server:
                server.shutdown()
    return figures


def report(title, figures):
    print(title)
    for name in figures:
        print("  %-11s %s" % (name, "; ".join("%.1f frames/s, gaps p50 %.1f ms p95 %.1f ms, CPU %.1f ms a frame"
                                              " (GPU process %.1f)" % f for f in figures[name])))
    medians = {name: [statistics.median(f[i] for f in figures[name]) for i in range(5)] for name in figures}
    pairs = [(game, base) for game in ("game", "other build") for base in ("bare", "bare scaled", "other build")
             if game in medians and base in medians and game != base]
    for game, base in pairs:
        a, b = medians[game], medians[base]
        print("  the %s against the %s: frame rate %.2f, p50 gap %.2fx, p95 gap %.2fx; CPU a frame %.2fx (%+.1f ms,"
              " GPU process %+.1f)" % (game, base, a[0] / b[0], a[1] / b[1], a[2] / b[2], a[3] / b[3],
                                       a[3] - b[3], a[4] - b[4]))


def main():
    site = sys.argv[1]
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 5.0
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 2
    other = sys.argv[4] if len(sys.argv) > 4 else None
    start_load = open("/proc/loadavg").read().split()[0]
    paced = measure(site, other, seconds, rounds, ())
    unpaced = measure(site, other, seconds, 1, ("--disable-frame-rate-limit", "--disable-gpu-vsync"))
    print("browser play scene against the bare WebGL page, headless Chromium (SwiftShader WebGL), load average"
          " %s at the start, %s at the end:" % (start_load, open("/proc/loadavg").read().split()[0]))
    report(" paced by the page's animation frames (at most 60 a second), in turn:", paced)
    report(" with the frame-rate limit off:", unpaced)


if __name__ == "__main__":
    main()
