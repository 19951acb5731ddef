#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Serves the site (make web: build-web/site) for local play, as a host should serve it.

Usage: serve.py [SITE_DIR] [PORT]   (make serve; defaults build-web/site and 8000, on localhost only)

Python's own http.server, with what a host adds: the types of .wasm and of the manifest, each file's
precompressed .br or .gz beside it when the browser takes that encoding (Content-Encoding, Vary),
and the cache headers of the README's "Hosting": every file but the icons is revalidated on each
use, since a new build keeps the same names.
"""
import http.server
import os
import sys

# Seconds a browser may keep a file without asking: the icons only. Everything else must be asked
# for again (no-cache: a cheap 304 when unchanged), so that a new build reaches the player at once.
ICON_SECONDS = 86400


def accepted(header, encoding):
    """Whether an Accept-Encoding header takes the encoding (not with q=0)."""
    for part in header.split(","):
        name, _, weight = part.partition(";")
        if name.strip() == encoding:
            weight = weight.strip()
            return not weight.startswith("q=") or weight[2:].strip("0.") != ""
    return False


class SiteHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map, ".wasm": "application/wasm",
                      ".webmanifest": "application/manifest+json", ".js": "text/javascript"}

    # The plain file's path, or its compressed copy's when the browser takes it; self.encoding says which.
    def translate_path(self, path):
        plain = super().translate_path(path)
        self.encoding = None
        for encoding, suffix in (("br", ".br"), ("gzip", ".gz")):
            if accepted(self.headers.get("Accept-Encoding", ""), encoding) and os.path.isfile(plain + suffix):
                self.encoding = encoding
                return plain + suffix
        return plain

    def guess_type(self, path):
        return super().guess_type(path.rsplit(".", 1)[0] if self.encoding else path)

    def end_headers(self):
        if self.encoding:
            self.send_header("Content-Encoding", self.encoding)
        self.send_header("Vary", "Accept-Encoding")
        icon = self.path.split("?")[0].endswith(".png")
        self.send_header("Cache-Control", "max-age=%d" % ICON_SECONDS if icon else "no-cache")
        super().end_headers()


def main():
    site = sys.argv[1] if len(sys.argv) > 1 else "build-web/site"
    port = int(sys.argv[2]) if len(sys.argv) > 2 else 8000
    if not os.path.isfile(os.path.join(site, "zelmo.html")):
        sys.exit("serve.py: %s holds no site: run make web first" % site)
    handler = lambda *args: SiteHandler(*args, directory=site)  # noqa: E731
    with http.server.ThreadingHTTPServer(("localhost", port), handler) as server:
        print("serving %s: open http://localhost:%d/zelmo.html (Control-C stops)" % (site, port), flush=True)
        try:
            server.serve_forever()
        except KeyboardInterrupt:
            pass


if __name__ == "__main__":
    main()
