#!/usr/bin/env bash
# Starts or stops the local portal in the background.
#   ctl.sh start STATE_DIR   -> prints 127.0.0.1:PORT, leaves STATE_DIR/portal.{pid,addr}
#   ctl.sh stop STATE_DIR
set -eu
here=$(cd "$(dirname "$0")" && pwd)
state=${2:?state folder}
mkdir -p "$state"
case "$1" in
start)
    if [ -f "$state/portal.pid" ] && kill -0 "$(cat "$state/portal.pid")" 2>/dev/null; then
        cat "$state/portal.addr"; exit 0
    fi
    rm -f "$state/portal.addr"
    /usr/bin/python3 "$here/portal.py" --port-file "$state/portal.addr" >"$state/portal.log" 2>&1 &
    echo $! >"$state/portal.pid"
    for _ in $(seq 100); do [ -s "$state/portal.addr" ] && break; sleep 0.05; done
    [ -s "$state/portal.addr" ] || { echo "portal did not start:" >&2; cat "$state/portal.log" >&2; exit 1; }
    cat "$state/portal.addr"
    ;;
stop)
    [ -f "$state/portal.pid" ] && kill "$(cat "$state/portal.pid")" 2>/dev/null || true
    rm -f "$state/portal.pid" "$state/portal.addr"
    ;;
*) echo "usage: ctl.sh start|stop STATE_DIR" >&2; exit 2 ;;
esac
