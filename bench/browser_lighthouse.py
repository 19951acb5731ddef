#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Lighthouse 12.2.3's accessibility, best-practices and SEO scores for the page, served as make serve serves it.

Usage: browser_lighthouse.py SITE_DIR [LIGHTHOUSE_DIR]

Installs Lighthouse 12.2.3 from the npm registry into LIGHTHOUSE_DIR (build-bench/lighthouse by
default) once, serves the site on a local port (platform/web/serve.py's headers), runs Lighthouse
against the folder's address with Debian's Chromium, headless, and prints each category's score with
the audits that did not pass. Not part of make test: it needs the npm registry.
"""
import json
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "browser"))
import browser_game  # noqa: E402

VERSION = "12.2.3"
CATEGORIES = ("accessibility", "best-practices", "seo")


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    site = sys.argv[1]
    where = os.path.abspath(sys.argv[2] if len(sys.argv) > 2 else "build-bench/lighthouse")
    tool = os.path.join(where, "node_modules", ".bin", "lighthouse")
    if not os.path.exists(tool):
        subprocess.run(["npm", "install", "--no-save", "--no-audit", "--no-fund", "--prefix", where,
                        "lighthouse@" + VERSION], check=True)
    server = browser_game.serve(site)
    report = os.path.join(tempfile.mkdtemp(prefix="zelmo-lighthouse-"), "report.json")
    try:
        subprocess.run([tool, "http://localhost:%d/" % server.server_address[1], "--quiet", "--output=json",
                        "--output-path=" + report, "--only-categories=" + ",".join(CATEGORIES),
                        "--chrome-flags=--headless=new --no-sandbox --use-angle=swiftshader --enable-unsafe-swiftshader"],
                       check=True, env=dict(os.environ, CHROME_PATH="/usr/bin/chromium"))
    finally:
        server.shutdown()
    result = json.load(open(report))
    print("Lighthouse %s on %s, load average %s:" % (result["lighthouseVersion"], result["finalDisplayedUrl"],
                                                     open("/proc/loadavg").read().split()[0]))
    for name in CATEGORIES:
        category = result["categories"][name]
        failed = [ref["id"] for ref in category["auditRefs"] if ref["weight"] > 0 and
                  result["audits"][ref["id"]]["score"] is not None and result["audits"][ref["id"]]["score"] < 1]
        print("  %-15s %3.0f  %s" % (category["title"], 100 * category["score"], "not passed: " + ", ".join(failed) if failed else ""))


if __name__ == "__main__":
    main()
