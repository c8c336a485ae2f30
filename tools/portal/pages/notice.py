# The launcher's notice. Nothing is published until a test (or the demo) says
# what: GET /__notice?... sets it, /__notice?form=off takes it away (404).
#   form      text | both | picture   (text only; picture and text; picture only)
#   last      future | past | today | a literal last day     (default future)
#   showings  the seventh field                              (default 1)
#   text, title, link                                        (defaults below)
#   picture   jpg | png | big | bmp | missing | a whole URL  (default jpg)
#   charset   how the line is encoded (default cp1252; the launcher reads the
#             system's ANSI code page)
#   line      the whole line instead, "{{PORTAL}}" standing for this server
# The pictures: /notice/pic.jpg (site/), /notice/pic.png, /notice/big.png (a
# PNG 5000 pixels wide), /notice/pic.bmp (a bitmap, which a notice never shows).
import datetime
import struct
import threading
import zlib

_state = {"line": None, "charset": "cp1252"}
_lock = threading.Lock()


def _png(width, height, rgb):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    row = b"\0" + bytes(rgb) * width
    raw = zlib.compress(row * height, 9)
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", raw) + chunk(b"IEND", b"")


_PNG = _png(160, 190, (40, 160, 60))
_BIG = _png(5000, 8, (40, 160, 60))


def _bmp(width, height, rgb):
    row = bytes(rgb[::-1]) * width + b"\0" * ((4 - width * 3 % 4) % 4)
    pixels = row * height
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 0, 0, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + len(info) + len(pixels), 0, 0, 14 + len(info)) + info + pixels


_BMP = _bmp(160, 190, (40, 40, 200))


def _last_day(value):
    today = datetime.date.today()
    shift = {"future": 30, "past": -1, "today": 0}.get(value)
    if shift is None:
        return value
    return (today + datetime.timedelta(days=shift)).strftime("%Y-%m-%d")


def _compose(q, address):
    form = q.get("form", "text")
    picture = q.get("picture", "jpg")
    pictures = {"jpg": "/notice/pic.jpg", "png": "/notice/pic.png", "big": "/notice/big.png",
                "bmp": "/notice/pic.bmp", "missing": "/notice/missing.jpg"}
    picture_url = "http://%s%s" % (address, pictures[picture]) if picture in pictures else picture
    fields = [
        q.get("id", "17"),
        _last_day(q.get("last", "future")),
        q.get("title", "Orvane news"),
        q.get("link", "http://%s/notice/news.htm" % address),
        "" if form == "picture" else q.get("text", "Hello"),
        "" if form == "text" else picture_url,
        q.get("showings", "1"),
    ]
    return "|".join(fields)


@route("/__notice")
def control(req):
    q = req.query
    with _lock:
        if q.get("form") == "off":
            _state["line"] = None
        elif "line" in q:
            _state["line"] = q["line"].replace("{{PORTAL}}", req.address)
        else:
            _state["line"] = _compose(q, req.address)
        _state["charset"] = q.get("charset", "cp1252")
        line = _state["line"]
    return Response(line or "off", 200, "text/plain; charset=utf-8")


@route("/notice/ovn.txt")
def notice(req):
    with _lock:
        line, charset = _state["line"], _state["charset"]
    if line is None:
        return Response("<html><body>not found</body></html>", 404)
    return Response(line.encode(charset, "replace"), 200, "text/plain")


@route("/notice/pic.png")
def picture_png(req):
    return Response(_PNG, 200, "image/png")


@route("/notice/big.png")
def picture_big(req):
    return Response(_BIG, 200, "image/png")


@route("/notice/pic.bmp")
def picture_bmp(req):
    return Response(_BMP, 200, "image/bmp")


@route("/notice/news.htm")
def news(req):
    return Response("<html><head><title>Orvane news</title></head><body>news</body></html>")
