#!/bin/sh
# Runs one command beside a fresh nginx (Debian's, not ours) on 127.0.0.1 and
# stops it after: a web server we did not write, for the downloads' tests.
#   with-nginx.sh WORKDIR COMMAND [ARGS...]
# WORKDIR (in the build tree) receives the configuration, the served folder
# "www" (empty at start; the command fills it) and the logs. The command
# finds the server through the environment:
#   KV_NGINX_URL         base address, "http://127.0.0.1:PORT/"
#   KV_NGINX_ROOT        the served folder
#   KV_NGINX_ACCESS_LOG  one line per answer: "REQUEST STATUS BYTES RANGE IF-RANGE"
#   KV_NGINX_ERROR_LOG   nginx's own complaints (a file cut under it, ...)
# Answers go out at most at 512 KB/s, so that a test can act during one.
# Exits with the command's status.
set -u
nginx=$(command -v nginx || echo /usr/sbin/nginx)
if [ ! -x "$nginx" ]; then
    echo "with-nginx: nginx is not installed (scripts/setup.sh installs it)" >&2
    exit 1
fi
work=$1
shift
rm -rf "$work"
mkdir -p "$work/www" "$work/tmp"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat >"$work/nginx.conf" <<EOF
daemon off;
master_process off;
pid $work/nginx.pid;
error_log $work/error.log error;
events { worker_connections 64; }
http {
    log_format kavo '\$request \$status \$body_bytes_sent "\$http_range" "\$http_if_range"';
    access_log $work/access.log kavo;
    client_body_temp_path $work/tmp/body;
    proxy_temp_path $work/tmp/proxy;
    fastcgi_temp_path $work/tmp/fastcgi;
    uwsgi_temp_path $work/tmp/uwsgi;
    scgi_temp_path $work/tmp/scgi;
    types { }
    default_type application/octet-stream;
    sendfile off;
    server {
        listen 127.0.0.1:$port;
        root $work/www;
        limit_rate 512k;
    }
}
EOF
: >"$work/error.log"
"$nginx" -p "$work" -c "$work/nginx.conf" -e "$work/error.log" 2>"$work/start.err" &
server=$!
stop() { kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; }
trap stop EXIT
trap 'exit 143' INT TERM

tries=0
until python3 -c "import socket; socket.create_connection(('127.0.0.1', $port), 1)" 2>/dev/null; do
    if ! kill -0 "$server" 2>/dev/null || [ $tries -ge 100 ]; then
        echo "with-nginx: nginx did not start" >&2
        cat "$work/start.err" "$work/error.log" >&2
        exit 1
    fi
    tries=$((tries + 1))
    sleep 0.1
done

KV_NGINX_URL="http://127.0.0.1:$port/"
KV_NGINX_ROOT="$work/www"
KV_NGINX_ACCESS_LOG="$work/access.log"
KV_NGINX_ERROR_LOG="$work/error.log"
export KV_NGINX_URL KV_NGINX_ROOT KV_NGINX_ACCESS_LOG KV_NGINX_ERROR_LOG
unset http_proxy HTTP_PROXY https_proxy HTTPS_PROXY
"$@"
