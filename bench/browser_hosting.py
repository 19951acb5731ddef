#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""The site on other hosts: bytes on a first visit per host, and loads under a server that never answers.

Usage: browser_hosting.py SITE_DIR [LOADS]

Bytes: a fresh headless Chromium visits the page on each host, waits until the game runs and its
files are kept (the worker's work done), and the bytes of the bodies the host sent are summed (its
access log's, or its own count): make serve; Python's http.server with no settings; Debian's nginx
with its defaults (its mime.types, gzip on for text/html) and with the shipped settings
(platform/web/hosting/nginx.conf); Apache with Debian's defaults (mod_deflate on) and with the shipped
settings; lighttpd with Debian's defaults. Each host serves a copy of the site on a local port; the
page is asked for by its name (the defaults open no page at the folder's address).

Loads: with the page's files kept, the server is replaced by a socket that accepts and never answers;
LOADS loads (20 by default; reloads and navigations in turn), each timed from navigation to the
running game, in headless Chromium and in Firefox ESR under Xvfb. The load average is printed.
"""
import functools
import http.server
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "browser"))
import browser_budgets  # noqa: E402  (the benchmarks' headless Chromium)
import browser_firefox  # noqa: E402
import browser_game  # noqa: E402
from browser_game import site_server  # noqa: E402

LIGHTTPD = """server.document-root = "{site}"
server.bind = "127.0.0.1"
server.port = {port}
server.pid-file = "{d}/pid"
server.errorlog = "{d}/error.log"
server.modules = ("mod_indexfile", "mod_access", "mod_alias", "mod_redirect", "mod_accesslog", "mod_staticfile")
index-file.names = ("index.php", "index.html")
static-file.exclude-extensions = (".php", ".pl", ".fcgi")
include_shell "/usr/share/lighttpd/create-mime.conf.pl"
accesslog.filename = "{d}/access.log"
accesslog.format = "%r %>s %b"
"""


class Counted(http.server.SimpleHTTPRequestHandler):
    """Python's http.server as it stands, counting the bodies it sends."""
    sent = []

    def send_header(self, keyword, value):
        if keyword == "Content-Length":
            Counted.sent.append(int(value))
        super().send_header(keyword, value)

    def log_message(self, *args):
        pass


def first_visit(address):
    """A fresh browser's first visit to address: until the game runs and its files are kept."""
    driver = browser_budgets.browser()
    try:
        driver.get(address + "zelmo.html")
        browser_game.wait_until("the game to run", lambda: driver.execute_script("return zelmoState.phase") == "running")
        browser_game.wait_until("the files to be kept", lambda: driver.execute_script("return zelmoState.offlineReady"))
        time.sleep(0.5)  # the last answers logged
    finally:
        driver.quit()


def logged_bytes(folder):
    """The bodies' bytes in a server's access log (its lines end with the body's size, - for none)."""
    with open(os.path.join(folder, "access.log")) as log:
        return sum(int(line.split()[-1]) for line in log if line.split()[-1].isdigit())


def bytes_per_host(site):
    rows = []
    for name, handler in (("make serve (serve.py)", browser_game.QuietHandler), ("Python's http.server", Counted)):
        browser_game.QuietHandler.answered.clear()
        Counted.sent.clear()
        server = browser_game.serve(site)
        server.RequestHandlerClass = functools.partial(handler, directory=site)
        first_visit("http://127.0.0.1:%d/" % server.server_address[1])
        server.shutdown()
        server.server_close()
        rows.append((name, sum(size for _, _, size in browser_game.QuietHandler.answered) + sum(Counted.sent)))
    scratch = tempfile.mkdtemp(prefix="zelmo-hosting-")
    defaults = {"nginx": "gzip on;\nindex index.html index.htm;\n", "apache": ""}
    for kind in ("nginx", "apache"):
        with open(os.path.join(scratch, kind), "w") as f:
            f.write(defaults[kind])
        for settings, label in ((os.path.join(scratch, kind), "Debian's defaults"), (None, "the shipped settings")):
            with site_server.behind(kind, site, settings=settings) as (address, folder):
                first_visit(address)
                rows.append(("%s, %s" % (kind, label), logged_bytes(folder)))
    folder = tempfile.mkdtemp(prefix="zelmo-lighttpd-")
    with socket.socket() as free:
        free.bind(("127.0.0.1", 0))
        port = free.getsockname()[1]
    with open(os.path.join(folder, "lighttpd.conf"), "w") as f:
        f.write(LIGHTTPD.format(site=shutil.copytree(site, os.path.join(folder, "site")), port=port, d=folder))
    server = subprocess.Popen(["lighttpd", "-D", "-f", os.path.join(folder, "lighttpd.conf")])
    try:
        browser_game.wait_until("lighttpd", lambda: os.path.exists(os.path.join(folder, "pid")))
        first_visit("http://127.0.0.1:%d/" % port)
    finally:
        server.terminate()
        server.wait()
    rows.append(("lighttpd, Debian's defaults", logged_bytes(folder)))
    shutil.rmtree(scratch, ignore_errors=True)
    shutil.rmtree(folder, ignore_errors=True)
    return rows


def silence(server):
    """The server stopped, and a socket on its port that accepts (the system does, for it) and never answers."""
    server.shutdown()
    server.server_close()
    silent = socket.socket()
    silent.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    silent.bind(server.server_address)
    silent.listen(64)
    return silent


def timed_loads(page, loads, navigate, reload):
    """With the page's files kept and the server silenced: loads loads, reloads and navigations (with
    and without a query) in turn, each one's seconds from navigation to the running game."""
    browser_game.wait_until("the files to be kept", lambda: page.state()["offlineReady"])
    url = "http://127.0.0.1:%d/zelmo.html" % page.server.server_address[1]
    times = []
    with silence(page.server):
        for load in range(loads):
            reload() if load % 2 else navigate(url + ("?testclock=10000" if load % 4 else ""))
            browser_game.wait_until("the game to start", lambda: page.state()["phase"] == "running")
            times.append(page.evaluate("performance.getEntriesByName('zelmo: running')[0].startTime") / 1000)
    return times


def chromium_loads(site, loads):
    with browser_game.Page(site) as page:
        return timed_loads(page, loads, page.driver.get, page.driver.refresh)


def firefox_loads(site, loads):
    with browser_firefox.FirefoxPage(site) as page:
        page.start()
        return timed_loads(page, loads,
                           lambda url: page.call("browsingContext.navigate", context=page.context, url=url, wait="complete"),
                           lambda: page.call("browsingContext.reload", context=page.context, wait="complete"))


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    site = os.path.abspath(sys.argv[1])
    loads = int(sys.argv[2]) if len(sys.argv) > 2 else 20
    load = open("/proc/loadavg").read().split()[0]
    print("bytes on a first visit (bodies, until the game runs and its files are kept), load average %s:" % load)
    for name, sent in bytes_per_host(site):
        print("  %-36s %8.0f KB" % (name, sent / 1024))
    for name, measure in (("Chromium", chromium_loads), ("Firefox ESR", firefox_loads)):
        times = measure(site, loads)
        within = sum(1 for t in times if t <= 3)
        print("%s, a server that never answers, %d loads (load average %s): %d within 3 s, %s s"
              % (name, loads, open("/proc/loadavg").read().split()[0], within, " ".join("%.2f" % t for t in times)))


if __name__ == "__main__":
    main()
