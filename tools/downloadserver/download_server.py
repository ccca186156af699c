#!/usr/bin/env python3
"""Stand-in for the maker's download server, for tests only.

Serves GET requests on 127.0.0.1 from a folder that the tests fill. A URL path maps to
the file of the same relative path below --root. Tests give themselves a private folder
below the root (/<their folder>/dbase/version.json ...), so one server serves every test
of a run side by side.

A file may have a sidecar "<name>.fault" whose first word makes the answer misbehave:
  404           answer 404 Not Found with an HTML body
  500           answer 500 with an HTML body
  redirect      answer 302 Found with a Location elsewhere and an HTML body, which is
                not the file (no transfer error follows from it)
  cut           announce the whole file, send half of it and close the connection
  stall         announce the whole file, send a few bytes, then nothing for
                --stall-seconds, then the rest (only a client without a low-speed
                time-out ever gets the file)
  zip-traversal answer a zip with a good entry and an entry named ..\\..\\evil.xml
  zip-absolute  answer a zip with a good entry and entries with absolute and drive paths
A fault file may exist without the file itself.

Every request is appended, as its path below the test's folder, to the file
"requests.log" in that test's folder (the first component of the URL path).

The server writes its port to --port-file once it listens, and stops by itself when
its parent process ends or after --max-seconds.
"""

import argparse
import http.server
import io
import os
import socketserver
import sys
import threading
import time
import urllib.parse
import zipfile

HTML_ERROR = "<html><head><title>{code}</title></head><body><h1>{code} {text}</h1></body></html>\n"
GOOD_ENTRY = ("archive/stock/good.xml", "<airport code=\"GOOD\"/>")


def evil_zip(kind):
    names = [GOOD_ENTRY[0]]
    if kind == "zip-traversal":
        names += ["..\\..\\evil.xml", "archive/../../evil2.xml"]
    else:
        names += ["/tmp/evil.xml", "C:/evil.xml", "\\evil3.xml"]
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w", zipfile.ZIP_DEFLATED) as archive:
        for name in names:
            info = zipfile.ZipInfo(name)
            info.filename = name  # keep the name exactly as given, slashes and all
            archive.writestr(info, GOOD_ENTRY[1] if name == GOOD_ENTRY[0] else "<evil/>")
    return buffer.getvalue()


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "DownloadStandIn/1"

    def log_message(self, format, *args):
        pass

    def do_GET(self):
        relative = urllib.parse.unquote(urllib.parse.urlsplit(self.path).path).lstrip("/")
        parts = relative.split("/")
        if not relative or any(p in ("", ".", "..") for p in parts):
            return self.send_html(404, "Not Found")
        root = self.server.root
        self.log_request_path(os.path.join(root, parts[0]), "/".join(parts[1:]))
        path = os.path.join(root, *parts)
        fault = ""
        try:
            with open(path + ".fault", encoding="utf-8") as f:
                fault = (f.read().split() or [""])[0]
        except OSError:
            pass
        if fault in ("404", "500"):
            return self.send_html(int(fault), "Not Found" if fault == "404" else "Internal Server Error")
        if fault == "redirect":
            return self.send_html(302, "Found", location="/" + parts[0] + "/moved/" + "/".join(parts[1:]))
        if fault.startswith("zip-"):
            return self.send_body(evil_zip(fault))
        try:
            with open(path, "rb") as f:
                body = f.read()
        except OSError:
            return self.send_html(404, "Not Found")
        if fault == "cut":
            return self.send_body(body, len(body) // 2)
        if fault == "stall":
            return self.send_body(body, min(4, len(body)), stall=True)
        return self.send_body(body)

    def log_request_path(self, folder, inner):
        if os.path.isdir(folder):
            with self.server.log_lock, open(os.path.join(folder, "requests.log"), "a", encoding="utf-8") as f:
                f.write(inner + "\n")

    def send_html(self, code, text, location=None):
        body = HTML_ERROR.format(code=code, text=text).encode()
        self.send_response(code)
        if location:
            self.send_header("Location", location)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def send_body(self, body, sent=None, stall=False):
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(len(body)))
        if sent is not None:
            self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(body if sent is None else body[:sent])
        self.wfile.flush()
        if stall:
            deadline = time.monotonic() + self.server.stall_seconds
            while time.monotonic() < deadline and not self.server.stopping.is_set():
                time.sleep(0.1)
            try:
                self.wfile.write(body[sent:])
            except OSError:
                pass  # the client gave up, as it should
        if sent is not None:
            self.close_connection = True


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--root", required=True)
    parser.add_argument("--port", type=int, default=0, help="0 picks a free port")
    parser.add_argument("--port-file")
    parser.add_argument("--stall-seconds", type=float, default=30.0)
    parser.add_argument("--max-seconds", type=float, default=3 * 3600.0)
    args = parser.parse_args()

    server = Server(("127.0.0.1", args.port), Handler)
    server.root = os.path.abspath(args.root)
    server.stall_seconds = args.stall_seconds
    server.stopping = threading.Event()
    server.log_lock = threading.Lock()
    port = server.server_address[1]
    if args.port_file:
        with open(args.port_file + ".tmp", "w") as f:
            f.write(f"{port}\n")
        os.replace(args.port_file + ".tmp", args.port_file)
    print(f"download stand-in on 127.0.0.1:{port} serving {server.root}", file=sys.stderr)

    parent = os.getppid()
    started = time.monotonic()

    def watchdog():
        while os.getppid() == parent and time.monotonic() - started < args.max_seconds:
            time.sleep(1)
        server.stopping.set()
        server.shutdown()

    threading.Thread(target=watchdog, daemon=True).start()
    try:
        server.serve_forever(poll_interval=0.2)
    finally:
        server.stopping.set()
        server.server_close()


if __name__ == "__main__":
    main()
