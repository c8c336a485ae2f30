# The update configuration and its packages. Nothing is published until a test
# (or the demo) says which package the configuration points at:
#   GET /__update?mode=M&exe=/linux/path/Ovn.exe[&tag=T]
# mode good       the program's bytes with a tag appended, key = its digest
#      truncated  the good package's Content-Length, half its body, then closed
#      mismatch   the good package's key, other bytes
#      404        UpdAddr names a missing file
#      500        a server error page with a Content-Length and a body
#      offlist    UpdAddr on a host outside the program's allow-list
#      same       the key of the program's own bytes: no update
#      empty      a package of 0 bytes, key = the digest of nothing
#      off        no configuration (404), the default
# &pkg=/linux/path/file publishes that file's bytes as they are in place of the
# tagged program (a signed package, say); with mode=mismatch the file is served
# and the key is another's.
# The package lives at /update/pkg/Ovn.exe, so /__misbehave can slow it down.
import hashlib
import threading

_state = {"mode": "off", "good": b"", "other": b""}
_lock = threading.Lock()


def _key(data):
    return hashlib.md5(data).hexdigest()[:28] + "3001"


@route("/__update")
def control(req):
    mode = req.query.get("mode", "off")
    with _lock:
        _state["mode"] = mode
        if mode != "off":
            with open(req.query["exe"], "rb") as f:
                own = f.read()
            tag = req.query.get("tag", "1").encode()
            _state["own"] = own
            _state["good"] = own + b"\0OVN-UPDATE-" + tag
            _state["other"] = own + b"\0OVN-OTHER-" + tag
            if "pkg" in req.query:
                with open(req.query["pkg"], "rb") as f:
                    pkg = f.read()
                _state["good"] = pkg + b"\0NOT-THE-PACKAGE" if mode == "mismatch" else pkg
                _state["other"] = pkg
    return Response("ok", 200, "text/plain")


def _published_bytes(mode, own, good):
    """The bytes whose digest the configuration publishes as the key."""
    return {"same": own, "empty": b""}.get(mode, good)


@route("/update/ConfigOvn.htm")
def config(req):
    with _lock:
        mode, good, own = _state["mode"], _state["good"], _state.get("own", b"")
    if mode == "off":
        return Response("<html><body>not found</body></html>", 404)
    key = _key(_published_bytes(mode, own, good))
    path = {"404": "/update/pkg/missing.exe", "500": "/update/pkg/error.exe"}.get(mode, "/update/pkg/Ovn.exe")
    host = "127.0.0.2:1" if mode == "offlist" else req.address
    text = "[VerKey]\r\nOvn=%s\r\nUpdAddr=http://%s%s\r\n" % (key, host, path)
    return Response(text, 200, "text/html")


@route("/update/pkg/Ovn.exe")
def package(req):
    with _lock:
        mode, good, other = _state["mode"], _state["good"], _state["other"]
    if mode == "mismatch":
        return Response(other, 200, "application/octet-stream")
    if mode == "empty":
        return Response(b"", 200, "application/octet-stream")
    if mode == "truncated":
        # Announces the whole package and sends half of it (the handler closes).
        return Response(good[: len(good) // 2], 200, "application/octet-stream",
                        headers=[("X-Announce-Length", str(len(good)))])
    return Response(good, 200, "application/octet-stream")


@route("/update/pkg/error.exe")
def server_error(req):
    return Response("<html><body>internal error</body></html>", 500)
