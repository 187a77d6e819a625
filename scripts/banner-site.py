#!/usr/bin/env python3
"""A tiny stand-in for the maker's web site on 127.0.0.1, for trying the
program out and for the end-to-end tests. Point the Wine prefix's proxy at
it (Internet Settings: ProxyEnable=1, ProxyServer=127.0.0.1:PORT) and every
request reaches it, whatever host the URL names.

  GET .../ads/<name>  the banner file (res/images/sorel-ads.gif by default)
  GET anything else   a small home page

--mode makes it misbehave: 404 and 500 answer with an error page, stall
accepts and never answers, trickle sends the banner a byte at a time.
Each request is logged to stdout as one line: METHOD URL AGENT.
"""
import argparse
import http.server
import os
import socketserver
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_BANNER = os.path.join(ROOT, "res", "images", "sorel-ads.gif")
HOME_PAGE = b"<html><body><h1>Lumetra</h1><p>VaroTimer</p></body></html>\n"


class SiteHandler(http.server.BaseHTTPRequestHandler):
    server_version = "BannerSite/1"
    protocol_version = "HTTP/1.0"

    def log_message(self, fmt, *args):  # one line per request, on stdout
        pass

    def do_GET(self):
        print("GET %s %s" % (self.path, self.headers.get("User-Agent", "-")), flush=True)
        mode = self.server.mode
        if mode == "stall":
            while True:
                time.sleep(60)
        path = self.path.split("?", 1)[0]
        if "/ads/" not in path:
            self.answer(200, "text/html", HOME_PAGE)
            return
        if mode in ("404", "500"):
            self.answer(int(mode), "text/html", b"<html><body>error</body></html>\n")
            return
        with open(self.server.banner, "rb") as f:
            body = f.read()
        if mode == "trickle":
            self.send_response(200)
            self.send_header("Content-Type", "image/gif")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            for i in range(len(body)):
                self.wfile.write(body[i:i + 1])
                self.wfile.flush()
                time.sleep(0.2)
            return
        self.answer(200, "image/gif", body)

    def answer(self, status, content_type, body):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", "no-cache")
        self.end_headers()
        self.wfile.write(body)


class SiteServer(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    parser = argparse.ArgumentParser(description="stand-in for the maker's site on 127.0.0.1")
    parser.add_argument("--port", type=int, default=8080, help="0 picks a free port (printed first)")
    parser.add_argument("--banner", default=DEFAULT_BANNER, help="file served under /ads/")
    parser.add_argument("--mode", choices=["ok", "404", "500", "stall", "trickle"], default="ok")
    args = parser.parse_args()
    server = SiteServer(("127.0.0.1", args.port), SiteHandler)
    server.mode = args.mode
    server.banner = args.banner
    print("PORT %d" % server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
