#!/usr/bin/env python3
"""The update host of the tests, and the HTTP proxy Wine's Internet settings point at. Each
request is logged on the standard error.

Requests come in absolute form (through the proxy) or origin form (directly). What the
server does depends on the requested host name, so that one server plays several hosts:
  *cut*        data files stop after half their bytes and the connection closes
  *slow*       nothing is ever answered (for 120 s)
  *stall*      data files stop after half their bytes and the connection stays open
  *trickle*    data files come in ten parts, 0.35 s apart
  *huge*       version pages are two megabytes long
  *nolength*   data files stop after half their bytes, sent without a length, and close
  otherwise    the files of the tree given with --root, 404 when there is none
"""
import argparse
import os
import signal
import sys
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import unquote, urlsplit

HANG_SECONDS = 120
TRICKLE_PARTS, TRICKLE_PAUSE = 10, 0.35
VERSION_PREFIX = "/definitions/version/"
DATA_PREFIX = "/definitions/data/"
NOT_FOUND = b"<html><head><title>404 Not Found</title></head><body>Not Found</body></html>"
HUGE_PAGE = b"<html><body>Defination version : 12" + b" " * (2 * 1024 * 1024) + b"</body></html>"


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "KestrianUpdateHost/1.0"

    def do_GET(self):
        parts = urlsplit(self.path)
        self.close_connection = True
        self.answer((parts.hostname or self.headers.get("Host", "").split(":")[0]).lower(), unquote(parts.path))

    def answer(self, host, path):
        is_version = path.startswith(VERSION_PREFIX)
        is_data = path.startswith(DATA_PREFIX)
        if "slow" in host:
            return time.sleep(HANG_SECONDS)
        if is_version and self.server.delay:
            time.sleep(self.server.delay)
        if is_version and "huge" in host:
            return self.send(200, HUGE_PAGE)
        body = self.server.read_file(path)
        if body is None:
            return self.send(404, NOT_FOUND)
        if is_data and ("cut" in host or "stall" in host or "nolength" in host):
            return self.send_half(path, body, hang="stall" in host, announce="nolength" not in host)
        if is_data and "trickle" in host:
            return self.send_slowly(path, body)
        return self.send(200, body, path)

    # A length of None sends none.
    def send_headers(self, status, length, path=""):
        self.send_response(status)
        html = path.upper().endswith(".HTM") or status != 200
        self.send_header("Content-Type", "text/html" if html else "application/octet-stream")
        if length is not None:
            self.send_header("Content-Length", str(length))
        self.send_header("Connection", "close")
        self.end_headers()

    def send(self, status, body, path=""):
        self.send_headers(status, len(body), path)
        self.wfile.write(body)

    # Sends the file's first half (announcing the whole file, or no length), then closes or hangs.
    def send_half(self, path, body, hang, announce):
        self.send_headers(200, len(body) if announce else None, path)
        self.wfile.write(body[: len(body) // 2])
        self.wfile.flush()
        if hang:
            time.sleep(HANG_SECONDS)

    def send_slowly(self, path, body):
        self.send_headers(200, len(body), path)
        step = -(-len(body) // TRICKLE_PARTS)
        for start in range(0, len(body), step):
            time.sleep(TRICKLE_PAUSE)
            self.wfile.write(body[start : start + step])
            self.wfile.flush()


class UpdateHost(ThreadingHTTPServer):
    daemon_threads = True  # a hanging answer never holds up the end of the server

    def __init__(self, root, delay):
        super().__init__(("127.0.0.1", 0), Handler)
        self.root = os.path.realpath(root)
        self.delay = delay

    # The bytes of a file inside the root; None for a missing file or a path leading out.
    def read_file(self, path):
        full = os.path.realpath(os.path.join(self.root, path.lstrip("/")))
        if os.path.commonpath([self.root, full]) != self.root or not os.path.isfile(full):
            return None
        with open(full, "rb") as file:
            return file.read()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", required=True, help="the tree of files to serve")
    parser.add_argument("--port-file", required=True, help="receives the port once listening")
    parser.add_argument("--delay", type=float, default=0, help="seconds before a version page")
    args = parser.parse_args()

    server = UpdateHost(args.root, args.delay)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    # Written under another name and renamed, so a reader never sees half a number.
    temporary = args.port_file + ".tmp"
    with open(temporary, "w") as port_file:
        port_file.write(f"{server.server_address[1]}\n")
    os.replace(temporary, args.port_file)
    try:
        server.serve_forever()
    finally:
        server.server_close()


if __name__ == "__main__":
    main()
