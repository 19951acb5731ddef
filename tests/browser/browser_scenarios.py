#!/usr/bin/python3
"""The game's scenario tests (GoogleTest, built for the page) in headless Chromium.

Usage: browser_scenarios.py WEB_BUILD_DIR GTEST_FILTER

Serves WEB_BUILD_DIR, opens tests.html with the filter, waits for the run to end and passes on
what it printed and its verdict.
"""
import sys
import time
import urllib.parse

sys.path.insert(0, __file__.rsplit("/", 1)[0])
import browser_game  # noqa: E402

RUN_DEADLINE = 300  # seconds: the tests wait for the page's animation frames at every frame they draw


def main():
    web, gtest_filter = sys.argv[1], sys.argv[2]
    page = browser_game.Page(web, test_clock=None, page="tests.html?" + urllib.parse.quote(gtest_filter))
    try:
        end = time.monotonic() + RUN_DEADLINE
        run = page.driver.execute_script("return window.testRun")
        while run["exitCode"] is None and time.monotonic() < end:
            time.sleep(0.2)
            run = page.driver.execute_script("return window.testRun")
        print("\n".join(run["output"]))
        if run["exitCode"] is None:
            browser_game.fail("the tests did not finish in %d s" % RUN_DEADLINE)
        if run["exitCode"] != 0 or not any("[  PASSED  ]" in line for line in run["output"]):
            browser_game.fail("the tests failed in the page (exit code %s)" % run["exitCode"])
    finally:
        page.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
