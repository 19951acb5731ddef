#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Serves the site (make web: build-web/site) for local play, as a host should serve it.

Usage: serve.py [SITE_DIR] [PORT] [nginx|apache]
       (make serve; defaults build-web/site and 8000, on localhost only)

Python's own http.server, with what a host adds (the README's "Hosting", as the settings beside this
file give it nginx and Apache): the types of .wasm and of the manifest, each file's precompressed .br
or .gz beside it when the browser takes that encoding (Content-Encoding, Vary), and the cache headers:
a file named by its content (zelmo.<digest>.js) never changes and may be kept a year; the page and
the worker, whose names stay, are revalidated on each use. The folder's address opens the page; no
folder is listed.

With nginx or apache, serves a copy of the site through Debian's nginx or Apache with the settings
beside this file (hosting/nginx.conf, hosting/apache.conf), as they stand: a server of its own, run as
whoever runs this, with its files in a folder of its own (the browser tests use it the same way).
"""
import contextlib
import http.server
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

NAMED = re.compile(r"/zelmo(-[0-9]+)?\.[0-9a-f]{16}\.(js|wasm|webmanifest|png)$")
KEPT = "public, max-age=31536000, immutable"


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
        if path.split("?")[0].endswith("/") and os.path.isdir(plain):
            plain = os.path.join(plain, "zelmo.html")
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
        self.send_header("Cache-Control", KEPT if NAMED.search(self.path.split("?")[0]) else "no-cache")
        super().end_headers()

    def list_directory(self, path):
        self.send_error(404)


HERE = os.path.dirname(os.path.abspath(__file__))
# Each server's command and whole configuration: {d} its own folder, {site} the site's copy, {port},
# {settings} the settings to include for the site's folder.
SERVERS = {
    "nginx": (["nginx", "-e", "{d}/error.log", "-p", "{d}", "-c", "{d}/server.conf"], """daemon off;
pid {d}/pid;
error_log {d}/error.log;
load_module /usr/lib/nginx/modules/ngx_http_brotli_static_module.so;
events {{}}
http {{
  log_format bodies '$request $status $body_bytes_sent';
  access_log {d}/access.log bodies;
  client_body_temp_path {d}; proxy_temp_path {d}; fastcgi_temp_path {d}; uwsgi_temp_path {d}; scgi_temp_path {d};
  include /etc/nginx/mime.types;
  default_type application/octet-stream;
  server {{ listen 127.0.0.1:{port}; root {site}; include {settings}; }}
}}
"""),
    "apache": (["apache2", "-f", "{d}/server.conf", "-DFOREGROUND"], """ServerRoot {d}
ServerName localhost
Listen 127.0.0.1:{port}
PidFile {d}/pid
ErrorLog {d}/error.log
# Its workers' user when started as root (Apache serves nothing as root).
User nobody
Group nogroup
""" + "".join("LoadModule %s_module /usr/lib/apache2/modules/mod_%s.so\n" % (name, name) for name in
              ("mpm_event", "authz_core", "mime", "dir", "headers", "rewrite", "filter", "deflate")) + """
# Debian's own: gzip made on the fly for text, which leaves the compressed copies alone.
Include /etc/apache2/mods-available/deflate.conf
TypesConfig /etc/mime.types
CustomLog {d}/access.log "%r %>s %B"
DocumentRoot {site}
<Directory {site}>
  Require all granted
  Include {settings}
</Directory>
"""),
}


@contextlib.contextmanager
def behind(kind, site, port=0, settings=None):
    """Serves a copy of the site through nginx or apache on localhost:port (a free one by default) with
    the settings (hosting/KIND.conf by default) until the with-statement ends: the site's address, and
    the server's folder (its access.log, error.log)."""
    folder = tempfile.mkdtemp(prefix="zelmo-%s-" % kind)
    os.chmod(folder, 0o755)  # readable by the workers, which run as nobody when started as root
    if not port:
        with socket.socket() as free:
            free.bind(("127.0.0.1", 0))
            port = free.getsockname()[1]
    values = dict(d=folder, port=port, site=shutil.copytree(site, os.path.join(folder, "site")),
                  settings=settings or os.path.join(HERE, "hosting", kind + ".conf"))
    with open(os.path.join(folder, "server.conf"), "w") as conf:
        conf.write(SERVERS[kind][1].format(**values))
    server = subprocess.Popen([word.format(**values) for word in SERVERS[kind][0]], stdout=subprocess.DEVNULL,
                              stderr=subprocess.STDOUT)
    try:
        end = time.monotonic() + 30
        while server.poll() is None and time.monotonic() < end:
            with contextlib.suppress(OSError), socket.create_connection(("127.0.0.1", port)):
                break
            time.sleep(0.05)
        else:
            with open(os.path.join(folder, "error.log")) as log:
                raise RuntimeError("%s did not start: %s" % (kind, log.read()))
        yield "http://127.0.0.1:%d/" % port, folder
    finally:
        server.terminate()
        server.wait()
        shutil.rmtree(folder, ignore_errors=True)


def main():
    site = sys.argv[1] if len(sys.argv) > 1 else "build-web/site"
    port = int(sys.argv[2]) if len(sys.argv) > 2 else 8000
    if not os.path.isfile(os.path.join(site, "zelmo.html")):
        sys.exit("serve.py: %s holds no site: run make web first" % site)
    if len(sys.argv) > 3:
        signal.signal(signal.SIGTERM, lambda *args: sys.exit(0))  # the server stopped with this, as by Control-C
        with behind(sys.argv[3], site, port) as (address, _):
            print("serving a copy of %s through %s: open %s (Control-C stops)" % (site, sys.argv[3], address), flush=True)
            with contextlib.suppress(KeyboardInterrupt):
                while True:
                    time.sleep(3600)
        return
    handler = lambda *args: SiteHandler(*args, directory=site)  # noqa: E731
    with http.server.ThreadingHTTPServer(("localhost", port), handler) as server:
        print("serving %s: open http://localhost:%d/ (Control-C stops)" % (site, port), flush=True)
        try:
            server.serve_forever()
        except KeyboardInterrupt:
            pass


if __name__ == "__main__":
    main()
