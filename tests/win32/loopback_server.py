#!/usr/bin/env python3
"""A small HTTP server on 127.0.0.1 for the update tests under wine.

Serves the files of ROOT/files at /<name> (and /update/updates.ini from
ROOT/files/updates.ini), answers /request/count.php and appends each query to
ROOT/requests.log, cuts /cut/<name> off half-way, sends /slow/<name> a tenth at a
time over three seconds, never answers /stall/..., and answers anything else with
404. Writes the port it listens on to ROOT/port.
"""
import http.server
import os
import sys
import threading
import time
import urllib.parse

root = sys.argv[1]
files = os.path.join(root, "files")
log_lock = threading.Lock()


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def answer(self, status, body, length=None):
        self.send_response(status)
        self.send_header("Content-Length", str(len(body) if length is None else length))
        self.send_header("Content-Type", "application/octet-stream")
        self.end_headers()
        self.wfile.write(body)
        self.wfile.flush()

    def read_file(self, name):
        path = os.path.join(files, os.path.basename(name))
        if not os.path.isfile(path):
            return None
        with open(path, "rb") as f:
            return f.read()

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        if url.path == "/request/count.php":
            with log_lock, open(os.path.join(root, "requests.log"), "a") as log:
                log.write(url.query + "\n")
            self.answer(200, b"OK\n")
        elif url.path.startswith("/stall/"):
            time.sleep(60)
            self.close_connection = True
        elif url.path.startswith("/slow/"):
            body = self.read_file(url.path[len("/slow/"):])
            if body is None:
                self.answer(404, b"<html><body>404 Not Found</body></html>\n")
                return
            self.send_response(200)
            self.send_header("Content-Length", str(len(body)))
            self.send_header("Content-Type", "application/octet-stream")
            self.end_headers()
            step = max(1, len(body) // 10)
            for at in range(0, len(body), step):
                self.wfile.write(body[at : at + step])
                self.wfile.flush()
                time.sleep(0.3)
        elif url.path.startswith("/cut/"):
            body = self.read_file(url.path[len("/cut/"):]) or b"x" * 1000
            self.answer(200, body[: len(body) // 2], length=len(body))
            self.close_connection = True
        else:
            name = "updates.ini" if url.path == "/update/updates.ini" else url.path.lstrip("/")
            body = self.read_file(name) if "/" not in name else None
            if body is None:
                self.answer(404, b"<html><body>404 Not Found</body></html>\n")
            else:
                self.answer(200, body)


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.daemon_threads = True
with open(os.path.join(root, "port.tmp"), "w") as f:
    f.write(str(server.server_address[1]))
os.replace(os.path.join(root, "port.tmp"), os.path.join(root, "port"))
server.serve_forever()
