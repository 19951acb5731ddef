#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Frames per second of the play scene in headless Chromium at 800 x 600 (the browser build).

Usage: browser_frame_rate.py WEB_BUILD_DIR [SECONDS]

Plays on the browser's own clock: clicks past the title, then counts the frames the game shows.
Twice: as a page is normally shown (animation frames at the display's rate, 60 a second here), and
with Chromium's frame-rate limit off, which shows what the game and the GL emulation can draw.
"""
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "browser"))
import browser_game  # noqa: E402
from selenium.webdriver.common.actions.mouse_button import MouseButton  # noqa: E402


def frames_per_second(web, seconds, arguments):
    page = browser_game.Page(web, test_clock=None, extra_arguments=arguments)
    try:
        browser_game.wait_until("the title", lambda: page.frames() > 10)
        page.move(400, 300)
        page.press(MouseButton.LEFT)  # past the title, into a round
        start_frames, start = page.frames(), time.monotonic()
        time.sleep(seconds)
        return (page.frames() - start_frames) / (time.monotonic() - start)
    finally:
        page.close()


def main():
    web = sys.argv[1]
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 5.0
    paced = frames_per_second(web, seconds, ())
    unpaced = frames_per_second(web, seconds, ("--disable-frame-rate-limit", "--disable-gpu-vsync"))
    print("browser play scene, 800 x 600, headless Chromium (SwiftShader WebGL):")
    print("  %.1f frames a second paced by the page's animation frames" % paced)
    print("  %.1f frames a second with the frame-rate limit off" % unpaced)


if __name__ == "__main__":
    main()
