# Endpoints the game-page and web-engine tests use beside the static hall,
# game and login pages in site/.


@route("/test/web/redirect")
def _redirect(req):
    # A server-side redirect to the game page: the engine must complete on the
    # final address.
    return Response("", 302, "text/html; charset=utf-8", [("Location", "http://%s/game/ovn.htm" % req.address)])


@route("/test/web/gbk.htm")
def _gbk(req):
    # A page in the Chinese national code page, declared only by its meta tag.
    body = ('<html><head><meta http-equiv="Content-Type" content="text/html; charset=gbk">'
            "<title>\u4e2d\u6587\u9875\u9762</title></head><body>\u4f60\u597d</body></html>").encode("gbk")
    return Response(body, 200, "text/html")
