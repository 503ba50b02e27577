#!/bin/sh
# Runs one command beside a fresh test web server and stops the server after.
#   with-testserver.sh COMMAND [ARGS...]
# The command finds the server through the environment:
#   KV_TEST_SERVER_URL   base address, "http://127.0.0.1:PORT/"
#   KV_TEST_SERVER_ROOT  folder it serves (empty at start; the command fills it)
#   KV_TEST_SERVER_LOG   file with one request line per request
# Exits with the command's status.
set -u
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/kvserver.XXXXXX")
mkdir "$work/www"
python3 "$here/testserver.py" --root "$work/www" --port-file "$work/port" \
    --log "$work/requests.log" >/dev/null 2>"$work/server.err" &
server=$!
stop() { kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -rf "$work"; }
trap stop EXIT
trap 'exit 143' INT TERM

tries=0
while [ ! -s "$work/port" ]; do
    if ! kill -0 "$server" 2>/dev/null || [ $tries -ge 100 ]; then
        echo "with-testserver: the test server did not start" >&2
        cat "$work/server.err" >&2
        exit 1
    fi
    tries=$((tries + 1))
    sleep 0.1
done

KV_TEST_SERVER_URL="http://127.0.0.1:$(cat "$work/port")/"
KV_TEST_SERVER_ROOT="$work/www"
KV_TEST_SERVER_LOG="$work/requests.log"
export KV_TEST_SERVER_URL KV_TEST_SERVER_ROOT KV_TEST_SERVER_LOG
# The server is local: a proxy from the environment (which Wine's WinInet
# honours) would only stand between the command and it.
unset http_proxy HTTP_PROXY https_proxy HTTPS_PROXY
"$@"
