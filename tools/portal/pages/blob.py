# A body of any size for throughput measurements: GET /blob.bin?size=N (bytes).
import threading

_cache = {}
_lock = threading.Lock()


@route("/blob.bin")
def blob(req):
    size = max(0, min(int(req.query.get("size", "0") or 0), 1 << 30))
    with _lock:
        data = _cache.get(size)
        if data is None:
            pattern = bytes(range(256))
            data = (pattern * (size // 256 + 1))[:size]
            _cache.clear()
            _cache[size] = data
    return Response(data, 200, "application/octet-stream")
