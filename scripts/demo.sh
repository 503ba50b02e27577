#!/bin/bash
# The main job, from a fresh clone: the product's whole work on a demo release
# under Wine, against the test web server on 127.0.0.1 standing in for the
# vendor's server.
#   1. First installation of release 12.05 of customer 4711 into C:\Kavo: the
#      engine, support and program archives downloaded and extracted, the
#      desktop shortcut, CONTA.INI with its [BTRIEVE] keys, the engine page
#      and the (stand-in) engine installer.
#   2. Release 12.06 is published. The installed (stand-in) CONTA.EXE fetches
#      its release record and starts the updater with it; the next minor
#      version, for which the vendor publishes the differences from 12.05, so
#      they are downloaded instead of the incremental archive QTRACT.KAV and
#      the changed programs rebuilt from the installed ones: executables
#      backed up and the backup removed, obsolete files deleted, a package the
#      module table does not know refused, the report sent. The archive brings
#      a newer updater, which takes over in the same place and updates
#      through the same differences (the files they patch are already their
#      results); then "¿Abrimos la Conta?" and the program starts.
# With a display the user clicks (the script waits for each program to end);
# with --auto, or without a display (then under Xvfb), the script drives the
# windows itself as the tests do, saves a screenshot of each step, and prints
# as its last line the installed program folder in the Wine prefix with the
# number of files installed and updated and the bytes the update downloaded.
# Exits non-zero when a step fails.
#   scripts/demo.sh [--auto]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
auto=0
[ "${1:-}" = "--auto" ] && auto=1

say() { echo "demo: $*"; }
fail() { echo "demo: FALLO: $*" >&2; exit 1; }

scripts/setup.sh
say "building the Windows program, the demo's stand-ins and the tools"
cmake --preset windows-pruebas >/dev/null
cmake --build --preset windows-pruebas --target Actualizador ContaDemo MotorDemo ConducirDemo
cmake --preset native >/dev/null
cmake --build --preset native --target kavmake kavsfx firma

demo=$root/build/demo
win=$root/build/win
kavmake=$root/build/native/tools/producer/kavmake
kavsfx=$root/build/native/tools/sfx/kavsfx
capturas=$demo/capturas
export KV_WINEPREFIX=$demo/wineprefix
rm -rf "$demo/server" "$demo/release" "$demo/installer" "$capturas"
mkdir -p "$demo/server" "$demo/release" "$demo/installer" "$capturas"

# --- the display --------------------------------------------------------------
# Wine shows its windows on the display its first program found: the display
# comes before anything runs under Wine.
pids=()
# Wine's programs end before the display does, so nothing of theirs speaks
# after the script's last line.
cleanup() {
    WINEPREFIX=$KV_WINEPREFIX wineserver -k 2>/dev/null || true
    WINEPREFIX=$KV_WINEPREFIX wineserver -w 2>/dev/null || true
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
}
trap cleanup EXIT
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    [ $auto = 1 ] && say "driving the windows on your display $DISPLAY" || say "on your display $DISPLAY: you click"
else
    auto=1
    for n in $(seq 90 99); do [ -e /tmp/.X11-unix/X$n ] || break; done
    Xvfb ":$n" -screen 0 1280x1024x24 >/dev/null 2>&1 &
    pids+=($!)
    export DISPLAY=":$n"
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    say "no display: running under Xvfb $DISPLAY, driving the windows"
fi
WINEPREFIX=$KV_WINEPREFIX wineserver -k 2>/dev/null || true  # one left from another display
wine_run() { "$root/scripts/wine-run.sh" "$@"; }
wine_run cmd /c exit >/dev/null 2>&1 || true  # the prefix, before anything is timed
drive_c=$KV_WINEPREFIX/drive_c
# A first installation starts from a machine without the product.
rm -rf "$drive_c/Kavo"
temp_win=$(wine_run cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')
temp_unix=$(WINEPREFIX=$KV_WINEPREFIX winepath -u "$temp_win" 2>/dev/null)
rm -rf "$temp_unix/Kavo"
escritorio=$(WINEPREFIX=$KV_WINEPREFIX winepath -u "$(wine_run cmd /c echo %USERPROFILE% 2>/dev/null | tr -d '\r')\\Desktop")
rm -f "$escritorio/ContaKavo.lnk"

# --- the releases ---------------------------------------------------------------
rel=$demo/release
srv=$demo/server/_descargas_/externos
mkdir -p "$srv/Conta/clientes"

# The vendor's build stamps each file's version into its version resource.
sellar() {  # FILE MAJOR MINOR
    python3 - "$@" <<'EOF'
import struct, sys
path, major, minor = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
b = bytearray(open(path, "rb").read())
# The signature after the resource's key: the same four bytes may also
# stand in code (the updater reads other files' versions).
clave = b.find("VS_VERSION_INFO".encode("utf-16-le"))
i = b.find(struct.pack("<I", 0xFEEF04BD), clave)
assert clave >= 0 and i >= 0, "no version resource in " + path
struct.pack_into("<II", b, i + 8, (major << 16) | minor, 0)     # file version
struct.pack_into("<II", b, i + 16, (major << 16) | minor, 0)    # product version
open(path, "wb").write(bytes(b))
EOF
}
# The per-installation release record: a zlib stream of the 665-byte record.
registro() {  # FILE YEAR MONTH DAY MAJOR MINOR
    python3 - "$@" <<'EOF'
import struct, sys, zlib
path, y, m, d, major, minor = sys.argv[1], *map(int, sys.argv[2:])
r = bytearray(665)
struct.pack_into("<HBB", r, 0, y, m, d)
struct.pack_into("<I", r, 12, 4711)
struct.pack_into("<HHHH", r, 8 * 99 - 715, 0, 0, minor, major)
open(path, "wb").write(zlib.compress(bytes(r)))
EOF
}

cp "$win/tools/demo/ContaDemo.exe" "$rel/CONTA_1205.EXE" && sellar "$rel/CONTA_1205.EXE" 12 5
cp "$win/tools/demo/ContaDemo.exe" "$rel/CONTA_1206.EXE" && sellar "$rel/CONTA_1206.EXE" 12 6
cp "$win/installer/Actualizador.exe" "$rel/ACT_100.EXE"
cp "$win/installer/Actualizador.exe" "$rel/ACT_101.EXE" && sellar "$rel/ACT_101.EXE" 1 1
# The engine vendor's installers, played by the window tests' stand-in: it
# takes the watched title from its file name and ends after a few seconds.
cp "$win/tools/demo/MotorDemo.exe" "$rel/MOTOR.EXE"
convert -size 32x32 xc:'#1d5fa5' -fill white -draw 'rectangle 8,8 23,23' "$rel/CONTAICO.ico"
# The settings file as the release delivers it: data folders by default, the
# old engine interface (the installation points it at PSQL 12).
printf '[ACTUALIZACION]\r\nCOMPROBAR=2\r\n[BTRIEVE]\r\nPERVASIVE=0\r\nNAMEDLL=WBTRV32\r\n' > "$rel/CONTA.INI"
for f in KVBASE.BPL KVCONTAB.BPL MODIVA.BPL MODNUEVO.BPL; do printf 'paquete %s\r\n' "$f" > "$rel/$f"; done
printf 'Empresa de demostración S.L.;B00000000;2026\r\n' > "$rel/EMPRESAS.TXT"
printf 'Estructura de balance (demostración)\r\n' > "$rel/BALANCE.EST"
printf 'Estructura de memoria (demostración)\r\n' > "$rel/MEMORIA.EST"
printf 'Depósito y legalización (demostración)\r\n' > "$rel/DEPOSITO.CFG"
printf 'Plantilla del generador (demostración)\r\n' > "$rel/PLANTILLA.GEN"
printf 'Informe 12.05\r\n' > "$rel/INFORME_1205.RPT"
printf 'Informe 12.06\r\n' > "$rel/INFORME_1206.RPT"
printf 'Países (ya no se usa)\r\n' > "$rel/PAISES.TXT"
printf 'Herramientas de soporte de Kavo (demostración)\r\n' > "$rel/LEEME.TXT"

d1205="2026-11-20 09:00:00"
d1206="2026-12-10 09:00:00"
p='file "Conta\Programa\'
# Release 12.05, full. Conta001.Bpl and a marked Pais201.txt are left over
# from earlier versions: the next update removes them, the plain Pais201.txt stays.
cat > "$rel/qtr1205.desc" <<EOF
archive
${p}CONTA.EXE" from=CONTA_1205.EXE type=5 date="$d1205"
${p}Actualizador.exe" from=ACT_100.EXE type=10 date="$d1205"
${p}CONTA.INI" from=CONTA.INI type=2 date="$d1205"
${p}CONTAICO.ico" from=CONTAICO.ico type=2 date="$d1205"
${p}KVBASE.BPL" from=KVBASE.BPL type=6 date="$d1205"
${p}KVCONTAB.BPL" from=KVCONTAB.BPL type=6 date="$d1205"
${p}MODIVA.BPL" from=MODIVA.BPL type=6 date="$d1205"
${p}Conta001.Bpl" from=KVBASE.BPL type=2 date="$d1205"
${p}Pais201.txt _ 2014 07 08 _ NO SE USA" from=PAISES.TXT type=2 date="$d1205"
${p}Pais201.txt" from=PAISES.TXT type=2 date="$d1205"
file "Conta\\Datos\\EMPRESAS.TXT" from=EMPRESAS.TXT type=9 date="$d1205"
file "Conta\\Datos\\BALANCE.EST" from=BALANCE.EST type=14 date="$d1205"
file "Conta\\Datos\\MEMORIA.EST" from=MEMORIA.EST type=15 date="$d1205"
file "Conta\\Datos\\DEPOSITO.CFG" from=DEPOSITO.CFG type=16 date="$d1205"
file "Conta\\Datos\\PLANTILLA.GEN" from=PLANTILLA.GEN type=17 date="$d1205"
file "Conta\\Datos\\INFORME.RPT" from=INFORME_1205.RPT type=19 date="$d1205"
EOF
# Release 12.06, incremental: what changed since 12.05, a package this
# updater's module table does not know yet, and a newer updater.
cat > "$rel/qtract1206.desc" <<EOF
archive
${p}CONTA.EXE" from=CONTA_1206.EXE type=5 date="$d1206"
${p}Actualizador.exe" from=ACT_101.EXE type=10 date="$d1206"
${p}MODIVA.BPL" from=MODIVA.BPL type=6 date="$d1206"
${p}MODNUEVO.BPL" from=MODNUEVO.BPL type=6 date="$d1206"
file "Conta\\Datos\\BALANCE.EST" from=BALANCE.EST type=14 date="$d1206"
file "Conta\\Datos\\INFORME.RPT" from=INFORME_1206.RPT type=19 date="$d1206"
EOF
# Release 12.06, full.
grep -v -e 'Conta001' -e 'NO SE USA' -e '^archive' "$rel/qtr1205.desc" | sed -e "s/$d1205/$d1206/" \
    -e 's/CONTA_1205/CONTA_1206/' -e 's/ACT_100/ACT_101/' -e 's/INFORME_1205/INFORME_1206/' > "$rel/cuerpo"
{ echo archive; cat "$rel/cuerpo"; } > "$rel/qtr1206.desc"
cat > "$rel/psql.desc" <<EOF
archive
file "Externos\\PSQL12\\Install_PSQL_Workgroup_Engine.exe" from=MOTOR.EXE type=4 date="$d1205"
file "Externos\\PSQL12\\Install_PSQL_Client.exe" from=MOTOR.EXE type=4 date="$d1205"
EOF
cat > "$rel/soporte.desc" <<EOF
archive
file "Conta\\Soporte\\LEEME.TXT" from=LEEME.TXT type=11 date="$d1205"
EOF
"$kavmake" "$rel/qtr1205.desc" "$rel/QTR_1205.KAV" >/dev/null
"$kavmake" "$rel/qtr1206.desc" "$rel/QTR_1206.KAV" >/dev/null
"$kavmake" "$rel/qtract1206.desc" "$rel/QTRACT_1206.KAV" >/dev/null
# The differences from 12.05 as installed to 12.06's update: patches for the
# changed programs, the new and the data files whole.
"$kavmake" --diferencias 12.05 12.06 "$rel/qtr1205.desc" "$rel/qtract1206.desc" "$rel/QTRDIF_12.05_12.06.KAV"
"$kavmake" "$rel/psql.desc" "$srv/PSQL.KAV" >/dev/null
"$kavmake" "$rel/soporte.desc" "$srv/SOPORTE.KAV" >/dev/null
registro "$rel/CLI4711_1206.VER" 2026 12 10 12 6

# The installer handed to customer 4711: release of 20 November 2026,
# version 12.05, engine PSQL 12 (engine parameter text "W3BTRV7", selector 0).
userdata=$(python3 -c '
import struct
r = bytearray(128)
struct.pack_into("<HBB", r, 0, 2026, 11, 20)
struct.pack_into("<I", r, 12, 4711)
struct.pack_into("<HH", r, 18, 12, 5)
r[26] = 7
r[27:34] = b"W3BTRV7"
print(r.hex().upper())')
printf 'archive flags=0x02 userdata=%s\n' "$userdata" > "$rel/instalador.desc"
"$kavmake" "$rel/instalador.desc" "$rel/INSTALADOR.KAV" >/dev/null
installer=$demo/installer/INSTALAR_KAVO.EXE
"$kavsfx" "$win/installer/Actualizador.exe" "$rel/INSTALADOR.KAV" "$installer" >/dev/null
# Release 12.05 on the server; the beta description offers no beta to 4711.
cp "$rel/QTR_1205.KAV" "$srv/Conta/QTR.KAV"
printf '[ACTUALIZACION]\r\nULTIMA_BETA=0\r\n[12.07]\r\nSERIES=120\r\n' > "$srv/Conta/QTRBETA.INI"

# Every file published is signed, as the vendor does, with the tests' key:
# the demo build carries its public key and checks each file it downloads.
# A statement binds the product, the release, the channel and the path (the
# server folder is the web root; a single file names its folder's path).
firmar() { "$root/build/native/tools/firma/firma" firmar "$root/tests/support/claves/prueba.secreta" "$@" --producto QTR >/dev/null; }
firmar "$demo/server" --version 12.05
firmar "$srv/Conta/QTRBETA.INI" --version 12.05 --canal beta --ruta _descargas_/externos/Conta
firmar "$demo/installer" --version 12.05

# --- the vendor's server ----------------------------------------------------------
rm -f "$demo/port" "$demo/server.log"
python3 tools/testserver/testserver.py --root "$demo/server" --port 0 --port-file "$demo/port" \
    --log "$demo/server.log" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -s "$demo/port" ] && break; sleep 0.1; done
export KAVO_SERVIDOR=http://127.0.0.1:$(cat "$demo/port")
say "vendor's server on $KAVO_SERVIDOR (files in $demo/server)"

cap_win="Z:${capturas//\//\\}"
conducir=$win/tools/demo/ConducirDemo.exe
programa=$drive_c/Kavo/Conta/Programa

# --- 1. the first installation --------------------------------------------------------
say "1. first installation of release 12.05 into C:\\Kavo"
if [ $auto = 1 ]; then
    (cd "$demo/installer" && wine_run "$conducir" instalar "Z:${installer//\//\\}" "$cap_win") ||
        fail "the installation did not go through (screenshots in $capturas)"
else
    say "   install into C:\\Kavo, then install the engine's server on the last page"
    (cd "$demo/installer" && wine_run INSTALAR_KAVO.EXE) || true
fi
[ -f "$programa/CONTA.EXE" ] || fail "no CONTA.EXE in $programa"
[ -f "$escritorio/ContaKavo.lnk" ] || fail "no desktop shortcut ContaKavo.lnk"
grep -q 'NAMEDLL=W3BTRV7' "$programa/CONTA.INI" || fail "CONTA.INI without the engine's [BTRIEVE] keys"
grep -q 'CODIGOCLIENTE=4711' "$programa/CONTA.INI" || fail "CONTA.INI without the customer code"
grep -q 'GET /roldawindows/instalacion.php' "$demo/server.log" || fail "no installation report reached the server"
instalados=$(find "$drive_c/Kavo" -type f | wc -l)
(cd "$drive_c/Kavo" && find . -type f -exec md5sum {} + | LC_ALL=C sort) > "$demo/antes.md5"
say "   $instalados files installed; CONTA.INI [BTRIEVE]: $(grep -A3 BTRIEVE "$programa/CONTA.INI" | tr -d '\r' | tail -n +2 | tr '\n' ' ')"

# --- 2. the update -------------------------------------------------------------------
say "2. release 12.06 published; the accounting program starts the update"
cp "$rel/QTR_1206.KAV" "$srv/Conta/QTR.KAV"
cp "$rel/QTRACT_1206.KAV" "$srv/Conta/QTRACT.KAV"
cp "$rel/QTRDIF_12.05_12.06.KAV" "$srv/Conta/"
cp "$rel/CLI4711_1206.VER" "$srv/Conta/clientes/CLI4711.VER"
firmar "$demo/server" --version 12.06
firmar "$srv/Conta/QTRACT.KAV" --version 12.06 --desde 12.05 --ruta _descargas_/externos/Conta
firmar "$srv/Conta/QTRDIF_12.05_12.06.KAV" --version 12.06 --desde 12.05 --ruta _descargas_/externos/Conta
firmar "$srv/Conta/QTRBETA.INI" --version 12.06 --canal beta --ruta _descargas_/externos/Conta
peticiones=$(wc -l < "$demo/server.log")
if [ $auto = 1 ]; then
    wine_run "$conducir" actualizar 'C:\Kavo\Conta\Programa\' "$cap_win" ||
        fail "the update did not go through (screenshots in $capturas)"
else
    say "   press Actualizar; the newer updater comes back: press Actualizar again, then answer Sí"
    wine_run 'C:\Kavo\Conta\Programa\CONTA.EXE' /ACTUALIZAR || true
    WINEPREFIX=$KV_WINEPREFIX wineserver -w
fi
grep -q 'GET /_descargas_/externos/Conta/QTRDIF_12.05_12.06.KAV' "$demo/server.log" || fail "the differences were not used"
! grep -q 'GET /_descargas_/externos/Conta/QTRACT.KAV' "$demo/server.log" || fail "the incremental archive was downloaded too"
! tail -n +$((peticiones + 1)) "$demo/server.log" | grep -q 'GET /_descargas_/externos/Conta/QTR.KAV ' ||
    fail "the relaunched updater downloaded the whole archive"
grep -q 'Diferencias QTRDIF_12.05_12.06.KAV aplicadas' "$temp_unix/Kavo/Conta/Actualizador.log" ||
    fail "the updater's log does not say the differences were applied"
grep -q 'GET /roldawindows/actualizarolda.php' "$demo/server.log" || fail "no update report reached the server"
[ ! -e "$programa/Conta001.Bpl" ] || fail "the obsolete Conta001.Bpl is still there"
[ ! -e "$programa/Pais201.txt _ 2014 07 08 _ NO SE USA" ] || fail "the marked Pais201.txt is still there"
[ -e "$programa/Pais201.txt" ] || fail "Pais201.txt without the marks went too"
[ ! -e "$programa/MODNUEVO.BPL" ] || fail "the unknown package was installed"
for copias in 12.05 12.06; do
    [ ! -d "$programa/$copias" ] || fail "the backup folder $copias was not removed"
done
(cd "$drive_c/Kavo" && find . -type f -exec md5sum {} + | LC_ALL=C sort) > "$demo/despues.md5"
actualizados=$(LC_ALL=C comm -13 "$demo/antes.md5" "$demo/despues.md5" | wc -l)
# What the update moved: every file the server sent from the update's start
# (the updater and the newer one it started), signatures included.
descargados=0
while read -r _ ruta _; do
    f=$demo/server${ruta%%\?*}
    if [ -f "$f" ]; then descargados=$((descargados + $(stat -c %s "$f"))); fi
done < <(tail -n +$((peticiones + 1)) "$demo/server.log" | grep '^GET ')

for b in "$capturas"/*.bmp; do [ -e "$b" ] && convert "$b" "${b%.bmp}.png" && rm "$b"; done
say "screenshots: $capturas"
say "server log: $demo/server.log"
cleanup
trap - EXIT
echo "$programa: $instalados ficheros instalados, $actualizados actualizados, $descargados bytes descargados"
