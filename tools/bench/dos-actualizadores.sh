#!/bin/bash
# Two consecutive builds of the updater for kav_delta_bench: the Windows
# tree's Actualizador.exe as built, and the same after a small code change
# (one more line in the run's start: a call, a branch and a text), built in
# the same tree with the same flags. The source is put back and rebuilt.
#   tools/bench/dos-actualizadores.sh OUT_DIR   -> OUT_DIR/anterior.exe, OUT_DIR/nuevo.exe
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:?usage: dos-actualizadores.sh OUT_DIR}
mkdir -p "$out"
fuente=$root/installer/Ejecucion.cpp
copia=$(mktemp)
cp "$fuente" "$copia"
restaurar() {
    cp "$copia" "$fuente" && rm -f "$copia"
    nice cmake --build --preset windows --target Actualizador >/dev/null
}
trap restaurar EXIT
cd "$root"
nice cmake --build --preset windows --target Actualizador >/dev/null
cp build/win/installer/Actualizador.exe "$out/anterior.exe"
python3 - "$fuente" <<'PY'
import sys
p = sys.argv[1]
s = open(p, encoding="utf-8").read()
ancla = '    // A backup of an earlier run in this process is not this run\'s.\n'
assert ancla in s, "the change's anchor moved"
s = s.replace(ancla, '    if (d_.HayExternos) Anotar("Carpeta Externos presente en " + v_.TextoDirPrograma());\n' + ancla, 1)
open(p, "w", encoding="utf-8").write(s)
PY
nice cmake --build --preset windows --target Actualizador >/dev/null
cp build/win/installer/Actualizador.exe "$out/nuevo.exe"
cmp -s "$out/anterior.exe" "$out/nuevo.exe" && { echo "the change did not reach the program" >&2; exit 1; }
ls -l "$out/anterior.exe" "$out/nuevo.exe"
