# The login page's pictures and the external-account (QQ, Sina Weibo) login
# flow. The real flow passes through the providers' https authorisation pages;
# the stand-in has only plain http, so the provider's pages are served here,
# on http, under the providers' own paths.
import html
import struct
import urllib.parse
import zlib

# The login page's sprite button: three frames side by side, each a flat
# colour of its own so that a screen read-back can tell which one shows.
BUTTON_FRAME = (80, 30)
BUTTON_COLOURS = ((0xC8, 0x96, 0x3C), (0xE6, 0xB8, 0x5C), (0x8C, 0x62, 0x26))  # normal, hover, pressed


def _png(width, height, pixel):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    rows = b"".join(b"\0" + b"".join(bytes(pixel(x, y)) for x in range(width)) for y in range(height))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


_BUTTON_PNG = _png(BUTTON_FRAME[0] * 3, BUTTON_FRAME[1], lambda x, y: BUTTON_COLOURS[x // BUTTON_FRAME[0]])


@route("/ovn/client/img/button.png")
def _button(req):
    return Response(_BUTTON_PNG, 200, "image/png")


_PROVIDERS = {
    # redirect path: (provider's login page path, callback path, state or code first)
    "qzone": ("/oauth2.0/authorize", "/qzone/callback.do", "code"),
    "weibo": ("/weibo/oauth2/authorize", "/weibo/callback.do", "state"),
}


def _redirect(kind):
    login, callback, _ = _PROVIDERS[kind]

    def handler(req):
        back = "http://%s%s" % (req.address, callback)
        query = urllib.parse.urlencode({"client_id": "ovn", "redirect_uri": back, "state": "s" + req.query.get("cid", "")})
        return Response("", 302, headers=[("Location", "http://%s%s?%s" % (req.address, login, query))])
    return handler


def _provider_page(kind, caption):
    login, callback, first = _PROVIDERS[kind]

    def handler(req):
        back = "http://%s%s" % (req.address, callback)

        def link(ident, code, text):
            pair = [("code", code), ("state", req.query.get("state", "s"))]
            if first == "state":
                pair.reverse()
            return '<p><a id="%s" href="%s?%s">%s</a></p>' % (ident, back, html.escape(urllib.parse.urlencode(pair)), text)
        body = ("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>%s</title></head><body>"
                "<p>%s（本地替身，使用 http）</p>%s%s</body></html>"
                % (caption, caption, link("allow", "ok-alice", "授权并登录"), link("deny", "nocookie", "授权但不登录")))
        return Response(body)
    return handler


def _callback(kind):
    def handler(req):
        code = req.query.get("code", "")
        if code.startswith("nocookie") or not code:
            # Ends at the callback without the login cookie: any earlier one is taken away.
            cookie, text = "Pauth=; Path=/; Expires=Thu, 01 Jan 1970 00:00:00 GMT", "未登录"
        else:
            cookie, text = "Pauth=%s-%s; Path=/" % (kind, urllib.parse.quote(code)), "登录成功"
        body = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>%s</title></head><body><p id=\"result\">%s</p></body></html>" % (text, text)
        return Response(body, headers=[("Set-Cookie", cookie)])
    return handler


route("/qzone/redirectToAuthorize.do")(_redirect("qzone"))
route("/weibo/redirectToAuthorize.do")(_redirect("weibo"))
route("/oauth2.0/authorize")(_provider_page("qzone", "QQ登录"))
route("/weibo/oauth2/authorize")(_provider_page("weibo", "微博登录"))
route("/qzone/callback.do")(_callback("qzone"))
route("/weibo/callback.do")(_callback("weibo"))


# The login window's own minimise and close buttons, top right on the artwork:
# three frames (normal, hover, pressed) of a small dark tab with a light edge
# and its glyph; together the two make one tab 48 x 30.
CORNER_FRAME = (24, 30)
_CORNER_EDGE = (110, 170, 196)
_CORNER_GLYPH = (226, 234, 240)


def _corner_png(backgrounds, glyph, outer_left):
    w, h = CORNER_FRAME

    def pixel(x, y):
        frame, lx = divmod(x, w)
        if y == 0 or y == h - 1 or (lx == 0 if outer_left else lx == w - 1):
            return _CORNER_EDGE
        if glyph(lx - w // 2, y - h // 2):
            return _CORNER_GLYPH
        return backgrounds[frame]
    return _png(w * 3, h, pixel)


_MINIMIZE_PNG = _corner_png(((18, 40, 60), (40, 78, 108), (10, 24, 38)),
                            lambda dx, dy: -5 <= dx <= 4 and 3 <= dy <= 4, True)
_CLOSE_PNG = _corner_png(((18, 40, 60), (178, 58, 48), (130, 38, 30)),
                         lambda dx, dy: -5 <= dx <= 4 and -5 <= dy <= 4 and (dx - dy in (0, 1) or dx + dy in (-1, 0)), False)


@route("/ovn/client/img/minimize.png")
def _minimize(req):
    return Response(_MINIMIZE_PNG, 200, "image/png")


@route("/ovn/client/img/close.png")
def _close(req):
    return Response(_CLOSE_PNG, 200, "image/png")
