#!/bin/bash
# The figures of updates that move only what changed and downloads that
# resume, in one run (not a test): the updater built at two consecutive
# commits (tools/bench/dos-actualizadores.sh), the differences between those
# two builds and between the demo's releases against the incremental and the
# full archive, the updater's work through the differences against a plain
# update (kav_delta_bench, native), and a transfer cut at 90 % and resumed
# (resume_bench, the Windows program under Wine against the test server).
# The demo's release folder must exist: run scripts/demo.sh once before.
#   tools/bench/actualizaciones-bench.sh [EARLIER [NEWER]]   (default HEAD~1 HEAD)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
[ -f build/demo/release/qtr1205.desc ] || { echo "actualizaciones-bench: run scripts/demo.sh first" >&2; exit 1; }
date -u '+%Y-%m-%d %H:%M UTC'
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
tools/bench/dos-actualizadores.sh build/actualizadores "${1:-HEAD~1}" "${2:-HEAD}"
nice cmake --build --preset native --target kav_delta_bench >/dev/null
build/native/tools/bench/kav_delta_bench build/actualizadores/anterior.exe build/actualizadores/nuevo.exe \
    build/demo/release
nice cmake --build --preset windows --target resume_bench >/dev/null
mkdir -p build/home
HOME=$root/build/home KV_WINEPREFIX=$root/build/win/wineprefix tools/testserver/with-testserver.sh \
    scripts/wine-run.sh build/win/tools/bench/resume_bench.exe 32
WINEPREFIX=$root/build/win/wineprefix wineserver -k 2>/dev/null || true
