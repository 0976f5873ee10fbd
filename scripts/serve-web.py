#!/usr/bin/python3
"""Serves the web edition (build/web/, as scripts/build-web.sh writes it) on
localhost and prints the address to open; Ctrl+C stops it.

Usage: scripts/serve-web.py [--port N] [DIR]
  --port N  the port (default 8000; 0 takes any free one)
  DIR       the site (default build/web beside this script's folder)

It serves the files as any static server would: with the types a browser
needs to compile the module as it streams (application/wasm) and to read the
manifest, and compressed (gzip) where the browser takes it, as web hosts
send text; nothing outside the site.
"""
import argparse
import functools
import gzip
import os
import http.server
import io
import pathlib
import sys

TYPES = {
    ".wasm": "application/wasm",
    ".webmanifest": "application/manifest+json",
    ".js": "text/javascript",
    ".woff2": "font/woff2",
    ".svg": "image/svg+xml",
}


# What gains from compression; images and the font come compressed already.
COMPRESSIBLE = {".html", ".css", ".js", ".wasm", ".webmanifest", ".svg"}


class SiteHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map, **TYPES}
    compressed = {}  # path -> (modification time, gzip of its bytes)

    def send_head(self):
        path = self.translate_path(self.path)
        if os.path.isdir(path) and self.path.split("?")[0].endswith("/"):
            path = os.path.join(path, "index.html")
        if (os.path.splitext(path)[1] not in COMPRESSIBLE or not os.path.isfile(path)
                or "gzip" not in self.headers.get("Accept-Encoding", "")):
            return super().send_head()
        mtime = os.stat(path).st_mtime
        cached = self.compressed.get(path)
        if cached is None or cached[0] != mtime:
            with open(path, "rb") as f:
                cached = self.compressed[path] = (mtime, gzip.compress(f.read(), 9, mtime=0))
        self.send_response(200)
        self.send_header("Content-Type", self.guess_type(path))
        self.send_header("Content-Encoding", "gzip")
        self.send_header("Content-Length", str(len(cached[1])))
        self.send_header("Vary", "Accept-Encoding")
        self.end_headers()
        return io.BytesIO(cached[1])

    def log_message(self, format, *args):  # one quiet line per request
        sys.stderr.write("serve-web: %s\n" % (format % args))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port", type=int, default=8000)
    parser.add_argument("site", nargs="?",
                        default=pathlib.Path(__file__).resolve().parent.parent / "build" / "web")
    args = parser.parse_args()
    site = pathlib.Path(args.site)
    if not (site / "index.html").is_file():
        sys.exit(f"serve-web: no page in {site}; run scripts/build-web.sh first")
    handler = functools.partial(SiteHandler, directory=str(site))
    with http.server.ThreadingHTTPServer(("127.0.0.1", args.port), handler) as server:
        print(f"http://localhost:{server.server_address[1]}/", flush=True)
        try:
            server.serve_forever()
        except KeyboardInterrupt:
            pass


if __name__ == "__main__":
    main()
