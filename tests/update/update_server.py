#!/usr/bin/env python3
"""A local update server for the update check's tests (standard library only).

    update_server.py LOG_FILE [--fixture FILE] [--tls CERT KEY]

Binds to 127.0.0.1 on a free port and prints "port N" as its first line; ends when its
standard input closes, so a test that dies leaves no server behind. Every request is appended
to LOG_FILE as one JSON line: method, path, headers, body as hexadecimal.

Paths:
  /good/api/updates      answers by app_key from the fixture (a JSON object: app_key -> answer)
  /huge/                 200 KB of valid JSON with Content-Length; /huge/chunked/ without it
  /slow/                 one byte every 5 s
  /stall/                never answers
  /malformed/            {"name": "x",
  /wrongtypes/           name a number, version an object
  /status500/            status 500
  /redirect/             307 to /good/api/updates
  /loop/                 redirects to itself
  /raw/?hex=...          answers the given bytes (any shape of answer)
"""
import binascii
import json
import ssl
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

LOG_LOCK = threading.Lock()
STOPPING = threading.Event()


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    log_file = None
    fixture = {}

    def log_message(self, *args):
        pass

    def _log(self, body):
        entry = {
            "method": self.command,
            "path": self.path,
            "headers": [[k, v] for k, v in self.headers.items()],
            "body": binascii.hexlify(body).decode(),
        }
        with LOG_LOCK, open(self.log_file, "a", encoding="utf-8") as log:
            log.write(json.dumps(entry) + "\n")

    def _send(self, code, body, length=True, headers=()):
        self.send_response(code)
        self.send_header("Content-Type", "application/json")
        for k, v in headers:
            self.send_header(k, v)
        if length:
            self.send_header("Content-Length", str(len(body)))
        else:
            self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(body)
        self.wfile.flush()
        if not length:
            self.close_connection = True

    def do_GET(self):
        self._handle(b"")

    def do_POST(self):
        length = int(self.headers.get("Content-Length", "0"))
        self._handle(self.rfile.read(length) if length > 0 else b"")

    def _handle(self, body):
        self._log(body)
        path = urllib.parse.urlsplit(self.path).path
        query = urllib.parse.parse_qs(urllib.parse.urlsplit(self.path).query)
        if path == "/good/api/updates":
            form = urllib.parse.parse_qs(body.decode("utf-8", "replace"))
            key = form.get("app_key", [""])[0]
            answer = self.fixture.get(key)
            if answer is None:
                self._send(404, b'{"error": "unknown app_key"}')
            else:
                self._send(200, json.dumps(answer).encode())
        elif path.startswith("/huge/"):
            filler = "x" * (200 * 1024)
            document = json.dumps({"name": "huge", "version": "0106", "pad": filler}).encode()
            self._send(200, document, length=not path.startswith("/huge/chunked/"))
        elif path.startswith("/slow/"):
            self.send_response(200)
            self.send_header("Content-Length", "100")
            self.end_headers()
            for _ in range(100):
                if STOPPING.wait(5):
                    return
                try:
                    self.wfile.write(b" ")
                    self.wfile.flush()
                except OSError:
                    return
        elif path.startswith("/stall/"):
            STOPPING.wait()
        elif path.startswith("/malformed/"):
            self._send(200, b'{"name": "x",')
        elif path.startswith("/wrongtypes/"):
            self._send(200, b'{"name": 5, "version": {"a": 1}}')
        elif path.startswith("/status500/"):
            self._send(500, b'{"name": "x", "version": "0106"}')
        elif path.startswith("/redirect/"):
            self._send(307, b"", headers=[("Location", "/good/api/updates")])
        elif path.startswith("/loop/"):
            self._send(307, b"", headers=[("Location", path)])
        elif path.startswith("/raw/"):
            self._send(200, binascii.unhexlify(query.get("hex", [""])[0]))
        else:
            self._send(404, b"{}")


def main():
    args = sys.argv[1:]
    if not args:
        print(__doc__, file=sys.stderr)
        return 2
    Handler.log_file = args[0]
    open(Handler.log_file, "a").close()
    tls = None
    i = 1
    while i < len(args):
        if args[i] == "--fixture":
            with open(args[i + 1], encoding="utf-8") as f:
                Handler.fixture = json.load(f)
            i += 2
        elif args[i] == "--tls":
            tls = (args[i + 1], args[i + 2])
            i += 3
        else:
            print("unknown argument " + args[i], file=sys.stderr)
            return 2
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    if tls:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(tls[0], tls[1])
        server.socket = context.wrap_socket(server.socket, server_side=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    print("port %d" % server.server_address[1], flush=True)
    sys.stdin.read()  # until the test closes our standard input (or dies)
    STOPPING.set()
    server.shutdown()
    return 0


if __name__ == "__main__":
    sys.exit(main())
