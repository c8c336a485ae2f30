#!/usr/bin/env python3
"""The local stand-in for the game portal, for tests and the demo.

Serves on 127.0.0.1 only, on a free port unless one is given, and prints
"portal listening on 127.0.0.1:PORT" (and writes the address to --port-file).

- Static pages live in site/ (the URL path is the file path).
- Dynamic endpoints are small functions in pages/*.py registered with @route.
- Every request (method, path and query) is recorded; GET /__requests returns
  the record, one "GET /path?query" line each, and /__requests?clear=1 empties it.
- GET /__misbehave?path=/x&mode=M makes the next requests of /x misbehave:
  404, nolength (no Content-Length), short (Content-Length larger than the body),
  slow (a byte every 200 ms; &chunk=N sends N bytes at a time), close (connection
  closed without an answer), reload (an HTML page that reloads itself at once),
  hold (the answer waits until mode=off is set for the path, 60 s at most);
  modes combine with "+" (slow+reload). mode=off restores it, and cuts a slow
  answer still under way (its connection is closed). &times=N limits it to N
  requests.
- Hostile answers, also through /__misbehave (see _hostile_answer): redirect
  (302 to the same resource on "localhost", a host on the program's list, by
  way of /__via), redirect-offlist (302 to the off-list listener), redirect-loop
  (302 to itself, without end), long (a body 100 bytes longer than its
  Content-Length, sent with the headers in one write).
- The off-list listener: a second server on 127.0.0.2 (another loopback address,
  so a host outside the program's allow-list) serving the same site without
  misbehaving; its requests are recorded as "OFFLIST GET /path?query".
"""
import argparse
import importlib.util
import mimetypes
import os
import socketserver
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

HERE = os.path.dirname(os.path.abspath(__file__))
SITE = os.path.join(HERE, "site")
# The game page's background in each world of the login page (else a slate grey).
WORLD_COLOURS = {"3": "#2E6B3F", "4": "#7A3B6E", "5": "#8A5A1C", "6": "#2F5F7A"}

ROUTES = {}          # path -> handler(request) -> Response
_log = []
_log_lock = threading.Lock()
_misbehave = {}      # path -> [modes, remaining or None, bytes per slow tick]
_cuts = {}           # path -> how many times mode=off was asked (ends slow answers under way)


class Response:
    def __init__(self, body=b"", status=200, content_type="text/html; charset=utf-8", headers=None):
        self.body = body.encode("utf-8") if isinstance(body, str) else body
        self.status = status
        self.content_type = content_type
        self.headers = list(headers or [])


def route(path):
    """Registers a handler for one path: handler(req) -> Response. req has
    .path, .query (dict of first values), .headers, .cookies, .address."""
    def wrap(fn):
        ROUTES[path] = fn
        return fn
    return wrap


class Request:
    def __init__(self, handler, parsed):
        self.path = parsed.path
        self.query = {k: v[0] for k, v in urllib.parse.parse_qs(parsed.query, keep_blank_values=True).items()}
        self.raw_query = parsed.query
        self.headers = handler.headers
        self.address = "%s:%d" % handler.server.server_address[:2]
        self.cookies = {}
        for part in (handler.headers.get("Cookie") or "").split(";"):
            if "=" in part:
                k, v = part.strip().split("=", 1)
                self.cookies[k] = v


def _load_pages():
    folder = os.path.join(HERE, "pages")
    for name in sorted(os.listdir(folder)):
        if name.endswith(".py") and not name.startswith("_"):
            found = importlib.util.spec_from_file_location("portal_pages_" + name[:-3], os.path.join(folder, name))
            module = importlib.util.module_from_spec(found)
            module.route, module.Response = route, Response
            found.loader.exec_module(module)


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "QuenraPortal/1.0"

    def log_message(self, fmt, *args):  # the record below is the log
        pass

    def do_GET(self):
        parsed = urllib.parse.urlsplit(self.path)
        if parsed.path == "/__requests":
            return self._requests(parsed)
        if parsed.path == "/__misbehave":
            return self._set_misbehave(parsed)
        if getattr(self.server, "offlist", False):
            return self._answer_offlist(parsed)
        with _log_lock:
            _log.append("%s %s" % (self.command, self.path))
        if parsed.path.startswith("/__via/"):
            return self._answer_via(parsed)
        response = self._answer(parsed)
        self._send(parsed.path, response)

    do_HEAD = do_GET

    def _answer(self, parsed):
        handler = ROUTES.get(parsed.path)
        if handler:
            return handler(Request(self, parsed))
        rel = os.path.normpath(urllib.parse.unquote(parsed.path)).lstrip("/\\")
        if rel.startswith(".."):
            return Response("forbidden", 403, "text/plain")
        full = os.path.join(SITE, rel)
        if os.path.isdir(full):
            full = os.path.join(full, "index.html")
        if os.path.isfile(full):
            ctype = mimetypes.guess_type(full)[0] or "application/octet-stream"
            if ctype.startswith("text/"):
                ctype += "; charset=utf-8"
            with open(full, "rb") as f:
                body = f.read()
            # Pages may name the server they came from, and the game page wears
            # its world's colour (a test tells two tabs apart by it).
            if ctype.startswith("text/html"):
                body = body.replace(b"{{PORTAL}}", Request(self, parsed).address.encode())
                world = urllib.parse.parse_qs(parsed.query).get("srv", [""])[0]
                body = body.replace(b"{{WORLD_COLOUR}}", WORLD_COLOURS.get(world, "#3C4650").encode())
            return Response(body, 200, ctype)
        return Response("<html><head><title>404</title></head><body>not found</body></html>", 404)

    def _send(self, path, response):
        modes, chunk = set(), 1
        with _log_lock:
            cut = _cuts.get(path, 0)
            entry = _misbehave.get(path)
            if entry:
                modes, chunk = entry[0], entry[2]
                if entry[1] is not None:
                    entry[1] -= 1
                    if entry[1] <= 0:
                        del _misbehave[path]
        if "hold" in modes:
            _hold(path)
        if "close" in modes:
            self.close_connection = True
            return
        response = _hostile_answer(self, path, modes) or response
        if "404" in modes:
            response = Response("<html><body>not found</body></html>", 404)
        if "reload" in modes and response.content_type.startswith("text/html"):
            refresh = b'<meta http-equiv="refresh" content="0">'
            head = response.body.find(b"<head>")
            at = head + len(b"<head>") if head >= 0 else 0
            response.body = response.body[:at] + refresh + response.body[at:]
        self.send_response(response.status)
        self.send_header("Content-Type", response.content_type)
        announced = None
        for name, value in response.headers:
            if name == "X-Announce-Length":
                announced = value
                continue
            self.send_header(name, value)
        body = response.body if self.command != "HEAD" else b""
        if "nolength" in modes:
            self.send_header("Connection", "close")
            self.close_connection = True
        elif "short" in modes:
            self.send_header("Content-Length", str(len(response.body) + 100))
            self.send_header("Connection", "close")
            self.close_connection = True
        elif "long" in modes:
            self.send_header("Content-Length", str(_overlong_announcement(response.body)))
            self.send_header("Connection", "close")
            self.close_connection = True
        elif announced is not None:
            self.send_header("Content-Length", announced)
            self.send_header("Connection", "close")
            self.close_connection = True
        else:
            self.send_header("Content-Length", str(len(response.body)))
        if "long" in modes:
            return _send_with_headers(self, body)
        self.end_headers()
        if "slow" in modes:
            for i in range(0, len(body), chunk):
                with _log_lock:
                    if _cuts.get(path, 0) != cut:
                        self.close_connection = True
                        return
                self.wfile.write(body[i:i + chunk])
                self.wfile.flush()
                time.sleep(0.2)
        else:
            self.wfile.write(body)

    def _requests(self, parsed):
        query = urllib.parse.parse_qs(parsed.query)
        with _log_lock:
            text = "".join(line + "\n" for line in _log)
            if "clear" in query:
                _log.clear()
        self._send(parsed.path, Response(text, 200, "text/plain; charset=utf-8"))

    def _set_misbehave(self, parsed):
        query = {k: v[0] for k, v in urllib.parse.parse_qs(parsed.query).items()}
        path, mode = query.get("path", ""), query.get("mode", "off")
        with _log_lock:
            if mode == "off":
                _misbehave.pop(path, None)
                _cuts[path] = _cuts.get(path, 0) + 1
            else:
                times = int(query["times"]) if "times" in query else None
                chunk = max(1, int(query.get("chunk", "1")))
                _misbehave[path] = [set(mode.split("+")), times, chunk]
        self._send(parsed.path, Response("ok", 200, "text/plain"))


    def _answer_via(self, parsed):
        """The resource a "redirect" hop points at, answered as it is."""
        inner = parsed._replace(path=parsed.path[len("/__via"):])
        self._send(None, self._answer(inner))

    def _answer_offlist(self, parsed):
        """The off-list listener: the site's own answers, recorded apart."""
        with _log_lock:
            _log.append("OFFLIST %s %s" % (self.command, self.path))
        self._send(None, self._answer(parsed))


def _hold(path):
    """Waits until the path's "hold" is taken away (or 60 s have passed)."""
    deadline = time.time() + 60
    while time.time() < deadline:
        with _log_lock:
            entry = _misbehave.get(path)
            if not entry or "hold" not in entry[0]:
                return
        time.sleep(0.05)


def _hostile_answer(handler, path, modes):
    """The 302 answers of the redirect modes, or None."""
    target = handler.path
    if "redirect" in modes:
        port = handler.server.server_address[1]
        location = "http://localhost:%d/__via%s" % (port, target)
    elif "redirect-offlist" in modes:
        location = "http://%s%s" % (OFFLIST["address"], target)
    elif "redirect-loop" in modes:
        location = "http://%s:%d%s" % (handler.server.server_address[0], handler.server.server_address[1], target)
    else:
        return None
    return Response("<html><body>moved</body></html>", 302, headers=[("Location", location)])


def _overlong_announcement(body):
    """What the "long" mode announces: 100 bytes fewer than it sends."""
    return max(0, len(body) - 100)


def _send_with_headers(handler, body):
    """Headers and body in one write, so that the client's first read of the
    answer already holds the bytes past the announced length."""
    handler._headers_buffer.append(b"\r\n")
    handler._headers_buffer.append(body)
    handler.flush_headers()


OFFLIST = {"address": ""}


def _start_offlist_listener():
    """Serves the site on 127.0.0.2 as well, a host no allow-list names."""
    try:
        server = Server(("127.0.0.2", 0), Handler)
    except OSError as e:
        print("no off-list listener: %s" % e, flush=True)
        return
    server.offlist = True
    OFFLIST["address"] = "127.0.0.2:%d" % server.server_address[1]
    threading.Thread(target=server.serve_forever, daemon=True).start()


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port", type=int, default=0, help="0 picks a free port")
    parser.add_argument("--port-file", help="write 127.0.0.1:PORT here once listening")
    args = parser.parse_args()
    _load_pages()
    server = Server(("127.0.0.1", args.port), Handler)
    _start_offlist_listener()
    address = "127.0.0.1:%d" % server.server_address[1]
    if args.port_file:
        tmp = args.port_file + ".tmp"
        with open(tmp, "w") as f:
            f.write(address + "\n")
        os.replace(tmp, args.port_file)
    print("portal listening on " + address, flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
