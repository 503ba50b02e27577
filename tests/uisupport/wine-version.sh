#!/bin/sh
# Runs a Windows program under Wine in its own prefix, with Wine set to report
# the given Windows version (winecfg's setting, kept in that prefix only).
#   wine-version.sh VERSION PREFIX PROGRAM [ARGS...]     e.g. win10
set -e
root=$(cd "$(dirname "$0")/../.." && pwd)
version=$1 prefix=$2
shift 2
export KV_WINEPREFIX="$prefix"
mkdir -p "$(dirname "$prefix")"
(
    flock 9
    # Made (or remade) first: a remade prefix has lost its version setting.
    "$root/scripts/wine-prefix.sh" "$prefix"
    if [ ! -f "$prefix/.kv-version-$version" ]; then
        "$root/scripts/wine-run.sh" winecfg -v "$version"
        WINEPREFIX="$prefix" wineserver -w
        touch "$prefix/.kv-version-$version"
    fi
) 9>"$prefix.version.lock"
exec "$root/scripts/wine-run.sh" "$@"
