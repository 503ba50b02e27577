#!/bin/sh
# Runs a Windows program under Wine the way the tests expect it: a private
# prefix (KV_WINEPREFIX, default: wineprefix under the current build tree),
# no debug noise, a Spanish user locale. Used as the CMake cross-compiling
# emulator, so ctest runs Windows test programs directly.
set -e
if [ -z "$KV_WINEPREFIX" ]; then
    dir=$(pwd)
    while [ "$dir" != "/" ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
    [ -f "$dir/CMakeCache.txt" ] || dir=$(pwd)
    KV_WINEPREFIX="$dir/wineprefix"
fi
export WINEPREFIX="$KV_WINEPREFIX"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# Names with ñ or € need this locale; without it Wine silently uses ASCII.
locale -a 2>/dev/null | grep -qx 'es_ES.utf8' || {
    echo "wine-run: the es_ES.UTF-8 locale is missing; run scripts/setup.sh" >&2; exit 1; }
export LC_ALL=es_ES.UTF-8
export WINEARCH=win64
"$(dirname "$0")/wine-prefix.sh" "$WINEPREFIX"
# Start the prefix's wineserver detached from our output: one started by the
# first wine of a run inherits that program's stdout and outlives it while
# other tests use the prefix, so ctest would wait for the pipe to close and
# time out a test that had already passed. A no-op when one is running.
wineserver </dev/null >/dev/null 2>&1 || true
# Wine's own processes (services, the desktop) inherit the standard error of
# the program that first needs them and live while the prefix is in use; on a
# pipe, ctest would wait for them. So on a pipe the program's standard error
# goes to a file, passed on when it ends. A file (the debug-channel tests
# read theirs while the program runs) or a terminal is used directly.
if [ -p /dev/stderr ]; then
    errores=$(mktemp)
    codigo=0
    wine "$@" 2>"$errores" || codigo=$?
    cat "$errores" >&2
    rm -f "$errores"
    exit $codigo
fi
exec wine "$@"
