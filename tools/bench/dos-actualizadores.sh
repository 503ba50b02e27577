#!/bin/bash
# Two consecutive builds of the updater for kav_delta_bench: Actualizador.exe
# as the Windows tree builds it at two commits of this repository (by
# default the commit before HEAD and HEAD), in the same tree with the same
# flags, one after the other. The work tree must have no uncommitted change;
# it is put back on its branch and rebuilt at the end, also on failure.
#   tools/bench/dos-actualizadores.sh OUT_DIR [EARLIER [NEWER]]
#     -> OUT_DIR/anterior.exe, OUT_DIR/nuevo.exe, OUT_DIR/commits
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:?usage: dos-actualizadores.sh OUT_DIR [EARLIER [NEWER]]}
mkdir -p "$out"
out=$(cd "$out" && pwd)
cd "$root"
anterior=$(git rev-parse --verify "${2:-HEAD~1}^{commit}")
nuevo=$(git rev-parse --verify "${3:-HEAD}^{commit}")
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
    echo "dos-actualizadores: commit or stash the changes first" >&2
    exit 1
fi
vuelta=$(git symbolic-ref -q --short HEAD || git rev-parse HEAD)
construir() {
    git checkout -q --detach "$1"
    nice cmake --build --preset windows --target Actualizador >/dev/null
    cp build/win/installer/Actualizador.exe "$2"
}
restaurar() {
    git checkout -q "$vuelta"
    nice cmake --build --preset windows --target Actualizador >/dev/null
}
trap restaurar EXIT
construir "$anterior" "$out/anterior.exe"
construir "$nuevo" "$out/nuevo.exe"
cmp -s "$out/anterior.exe" "$out/nuevo.exe" && { echo "dos-actualizadores: the two builds are the same" >&2; exit 1; }
{
    git log -1 --format='anterior %h %s' "$anterior"
    git log -1 --format='nuevo    %h %s' "$nuevo"
    git diff --shortstat "$anterior" "$nuevo" -- '*.cpp' '*.h'
} > "$out/commits"
cat "$out/commits"
ls -l "$out/anterior.exe" "$out/nuevo.exe"
