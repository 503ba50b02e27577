#!/bin/bash
# Runs every test from a fresh machine: installs what is missing, then builds
# and tests the native tree, the native tree under ASan+UBSan (with a bounded
# fuzzing run), and the Windows program under Wine inside Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

step() { echo; echo "=== $*"; }

step "native"
cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native

step "native, ASan+UBSan, fuzzers"
cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan

step "windows, under Wine"
cmake --preset windows-pruebas >/dev/null
cmake --build --preset windows-pruebas
trap 'WINEPREFIX=$PWD/build/win/wineprefix wineserver -k 2>/dev/null || true' EXIT
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --preset windows-pruebas

echo; echo "All tests passed."
