# Another game's launcher, for the game hall's download dialog. Nothing is
# published until a test (or the demo) says so:
#   GET /__gamedl?tag=T&exe=/linux/path/installer.exe[&mode=M][&offlist=HOST:PORT]
# publishes /update/ConfigT.htm, whose UpdAddr names /download/game/T.exe,
# served with the bytes of exe. mode:
#   good     the installer as it is (the default)
#   page     an HTML page in the installer's place (200, whole, not a program)
#   offlist  UpdAddr on the host given by offlist (outside the allow-list)
#   off      no configuration for T (404)
# /__misbehave works on both paths (404, short, slow).
import threading

_games = {}  # tag -> {"mode", "exe", "offlist"}
_lock = threading.Lock()


def _config_handler(tag):
    def config(req):
        with _lock:
            game = _games.get(tag)
        if not game or game["mode"] == "off":
            return Response("<html><body>not found</body></html>", 404)
        host = game["offlist"] if game["mode"] == "offlist" else req.address
        text = "[VerKey]\r\n%s=0\r\nUpdAddr=http://%s/download/game/%s.exe\r\n" % (tag, host, tag)
        return Response(text, 200, "text/html")
    return config


def _installer_handler(tag):
    def installer(req):
        with _lock:
            game = _games.get(tag)
        if not game or game["mode"] == "off":
            return Response("<html><body>not found</body></html>", 404)
        if game["mode"] == "page":
            return Response("<html><body>download page</body></html>", 200)
        with open(game["exe"], "rb") as f:
            data = f.read()
        return Response(data, 200, "application/octet-stream")
    return installer


@route("/__gamedl")
def control(req):
    q = req.query
    tag = q.get("tag", "")
    if not tag.isalnum():
        return Response("bad tag", 400, "text/plain")
    with _lock:
        _games[tag] = {"mode": q.get("mode", "good"), "exe": q.get("exe", ""), "offlist": q.get("offlist", "")}
    route("/update/Config%s.htm" % tag)(_config_handler(tag))
    route("/download/game/%s.exe" % tag)(_installer_handler(tag))
    return Response("ok", 200, "text/plain")
