#!/bin/bash
# The main job, from a fresh clone: sets up and builds, makes a demo release
# (an installer carrying the release record of customer 4711, the program,
# support and engine archives with a stand-in accounting program and its
# data files, a beta description for that customer), serves it with the test
# web server on 127.0.0.1 and starts the installer under Wine: on your display
# when there is one (close the window to end), otherwise under Xvfb, where a
# screenshot is taken and the demo ends.
#   scripts/demo.sh [--captura FILE.png]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
captura=$root/build/demo/captura.png
[ "${1:-}" = "--captura" ] && captura=$(realpath -m "$2")

say() { echo "demo: $*"; }

scripts/setup.sh
say "building the Windows program and the tools"
cmake --preset windows >/dev/null
cmake --build --preset windows --target Actualizador ContaDemo
cmake --preset native >/dev/null
cmake --build --preset native --target kavmake kavsfx

demo=$root/build/demo
rm -rf "$demo/server" "$demo/release" "$demo/installer"
mkdir -p "$demo/server/_descargas_/externos/Conta/clientes" "$demo/release" "$demo/installer"
export KV_WINEPREFIX=$demo/wineprefix
kavmake=$root/build/native/tools/producer/kavmake
kavsfx=$root/build/native/tools/sfx/kavsfx
win=$root/build/win

# Wine shows its windows on the display its first program found: the display
# comes before anything runs under Wine.
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    WINEPREFIX=$KV_WINEPREFIX wineserver -k 2>/dev/null || true
}
trap cleanup EXIT
# --- the display -------------------------------------------------------------------
propio=0
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    propio=1
    say "showing the installer on your display $DISPLAY"
else
    for n in $(seq 90 99); do [ -e /tmp/.X11-unix/X$n ] || break; done
    Xvfb ":$n" -screen 0 1280x1024x24 >/dev/null 2>&1 &
    pids+=($!)
    export DISPLAY=":$n"
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    say "no display: running under Xvfb $DISPLAY"
fi
WINEPREFIX=$KV_WINEPREFIX wineserver -k 2>/dev/null || true  # one left from another display

# --- the release ------------------------------------------------------------
say "making the demo release"
rel=$demo/release
cp "$win/tools/demo/ContaDemo.exe" "$rel/CONTA.EXE"
printf '[PATH]\r\nPATHDATOS=\r\n[ACTUALIZACION]\r\nCOMPROBAR=2\r\n[BTRIEVE]\r\nNAMEDLL=WBTRV32\r\n' > "$rel/CONTA.INI"
printf 'Empresa de demostración S.L.;B00000000;2026\r\n' > "$rel/EMPRESAS.TXT"
printf 'Cuadro de cuentas del Plan General Contable (demostración)\r\n' > "$rel/PGC2007.TXT"
printf 'Herramientas de soporte de Kavo (demostración)\r\n' > "$rel/LEEME.TXT"
printf 'Instalador del motor de base de datos (demostración)\r\n' > "$rel/MOTOR.TXT"
stamp="2026-11-20 09:00:00"
cat > "$rel/qtr.desc" <<EOF
archive
file "Conta\\Programa\\CONTA.EXE" from=CONTA.EXE type=1 date="$stamp"
file "Conta\\Programa\\CONTA.INI" from=CONTA.INI type=2 date="$stamp"
file "Conta\\Datos\\EMPRESAS.TXT" from=EMPRESAS.TXT type=9 date="$stamp"
file "Conta\\Datos\\PGC2007.TXT" from=PGC2007.TXT type=8 date="$stamp"
EOF
cat > "$rel/soporte.desc" <<EOF
archive
file "Conta\\Soporte\\LEEME.TXT" from=LEEME.TXT type=11 date="$stamp"
EOF
cat > "$rel/psql.desc" <<EOF
archive
file "Externos\\PSQL12\\LEEME.TXT" from=MOTOR.TXT type=4 date="$stamp"
EOF
srv=$demo/server/_descargas_/externos
"$kavmake" "$rel/qtr.desc" "$srv/Conta/QTR.KAV"
"$kavmake" "$rel/qtr.desc" "$srv/Conta/QTRBETA.KAV"
"$kavmake" "$rel/soporte.desc" "$srv/SOPORTE.KAV"
"$kavmake" "$rel/psql.desc" "$srv/PSQL.KAV"
# The per-installation record the updater of customer 4711 asks for when it
# is started without one: 20 November 2026, CONTA.EXE 10.05.
python3 - "$srv/Conta/clientes/CLI4711.VER" <<'EOF'
import struct, sys, zlib
r = bytearray(665)
struct.pack_into("<HBB", r, 0, 2026, 11, 20)
struct.pack_into("<I", r, 12, 4711)
struct.pack_into("<HHHH", r, 8 * 99 - 715, 0, 0, 5, 10)
open(sys.argv[1], "wb").write(zlib.compress(bytes(r)))
EOF
printf '[ACTUALIZACION]\r\nULTIMA_BETA=01/12/2026 10:00:00\r\n[10.05]\r\nSERIES=120;4711\r\n' > "$srv/Conta/QTRBETA.INI"

# The installer handed to customer 4711: release of 20 November 2026,
# version 10.05, engine PSQL 12 (engine parameter text "W3BTRV7", selector 0).
userdata=$(python3 -c '
import struct
r = bytearray(128)
struct.pack_into("<HBB", r, 0, 2026, 11, 20)
struct.pack_into("<I", r, 12, 4711)
struct.pack_into("<HH", r, 18, 10, 5)
r[26] = 7
r[27:34] = b"W3BTRV7"
print(r.hex().upper())')
printf 'archive flags=0x02 userdata=%s\n' "$userdata" > "$rel/instalador.desc"
"$kavmake" "$rel/instalador.desc" "$rel/INSTALADOR.KAV"
installer=$demo/installer/INSTALAR_KAVO.EXE
"$kavsfx" "$win/installer/Actualizador.exe" "$rel/INSTALADOR.KAV" "$installer"

# --- the vendor's server ---------------------------------------------------------
rm -f "$demo/port"
python3 tools/testserver/testserver.py --root "$demo/server" --port 0 --port-file "$demo/port" \
    --log "$demo/server.log" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -s "$demo/port" ] && break; sleep 0.1; done
port=$(cat "$demo/port")
export KAVO_SERVIDOR=http://127.0.0.1:$port
say "vendor's server on $KAVO_SERVIDOR (files in $demo/server)"

# --- the installer ----------------------------------------------------------------
(cd "$demo/installer" && exec "$root/scripts/wine-run.sh" INSTALAR_KAVO.EXE) &
instalador=$!
pids+=($instalador)
for _ in $(seq 120); do
    xwininfo -root -tree 2>/dev/null | grep -q '"Instalación Conta Kavo"' && break
    sleep 0.5
done
sleep 2  # the fade-in
mkdir -p "$(dirname "$captura")"
import -window root "$captura"
say "screenshot: $captura"
if [ "$propio" = 1 ]; then
    say "close the installer's window (Salir or Escape) to end the demo"
    wait "$instalador" || true
fi
