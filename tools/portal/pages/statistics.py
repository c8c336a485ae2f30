# The statistics pages: nothing is read back, the request record is what counts.
for _name in ("install.htm", "active.htm", "uninstall.htm"):
    route("/" + _name)(lambda req: Response("ok", 200, "text/plain"))
