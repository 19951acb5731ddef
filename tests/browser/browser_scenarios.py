#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""The game's scenario tests (GoogleTest, built for the page) in headless Chromium.

Usage: browser_scenarios.py WEB_BUILD_DIR GTEST_FILTER

Serves WEB_BUILD_DIR, opens tests.html with the filter, waits for the run to end and passes on
what it printed and its verdict.
"""
import sys
import urllib.parse

sys.path.insert(0, __file__.rsplit("/", 1)[0])
import browser_game  # noqa: E402

RUN_DEADLINE = 300  # seconds: the tests wait for the page's animation frames at every frame they draw


def main():
    web, gtest_filter = browser_game.arguments(2)
    with browser_game.Page(web, test_clock=None, page="tests.html?" + urllib.parse.quote(gtest_filter)) as page:
        browser_game.poll(lambda: page.evaluate("window.testRun.exitCode != null"), RUN_DEADLINE)
        run = page.evaluate("window.testRun")
        print("\n".join(run["output"]))
        if run["exitCode"] is None:
            browser_game.fail("the tests did not finish in %d s" % RUN_DEADLINE)
        if run["exitCode"] != 0 or not any("[  PASSED  ]" in line for line in run["output"]):
            browser_game.fail("the tests failed in the page (exit code %s)" % run["exitCode"])


if __name__ == "__main__":
    browser_game.run(main)
