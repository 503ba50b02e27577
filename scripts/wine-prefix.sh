#!/bin/sh
# Makes a Wine prefix ready, once, for everything that runs in it.
#   wine-prefix.sh PREFIX
# A prefix counts as made only once its marker is written. One that a stopped
# run left half made, or that something wrote into before Wine made it (Wine
# then leaves out its drive links, and every program fails with "could not
# load kernel32.dll"), is wiped and made again. Several tests may start at
# once: the lock lets one of them make it while the others wait.
set -e
prefix=$1
ready="$prefix/.kv-ready"
[ -f "$ready" ] && exit 0
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
[ -f "$ready" ] && exit 0
export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=es_ES.UTF-8
log="$prefix.log"
for attempt in 1 2; do
    wineserver -k 2>/dev/null || true
    rm -rf "$prefix"
    # A healthy prefix takes seconds; a hung wineboot must not eat the
    # test's whole time limit.
    if timeout 300 wineboot -i >"$log" 2>&1 && timeout 120 wineserver -w \
        && [ -e "$prefix/dosdevices/c:" ]; then
        touch "$ready"
        exit 0
    fi
    echo "wine-prefix: making $prefix failed (attempt $attempt)" >&2
done
wineserver -k 2>/dev/null || true
tail -n 20 "$log" >&2
exit 1
