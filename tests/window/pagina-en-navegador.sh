#!/bin/bash
# Opens the links page that the local installation dialog saved in a real
# browser (Debian's headless Chromium) and checks what the browser made of
# it: the title read in Windows-1252, and both links with their targets,
# although the page writes the targets unquoted and closes links with "</>".
# A browser ignores "</>": each link runs on to the next one, and the second
# is repeated, empty, after the text (the parser reopens an unclosed link), so
# every anchor must point to one of the two targets.
#   pagina-en-navegador.sh PAGE URL_ARCHIVE URL_UPDATER
set -euo pipefail
programa=$2 actualizador=$3
[ -f "$1" ] || { echo "no page at $1" >&2; exit 1; }
pagina=$(realpath "$1")
perfil=$(mktemp -d)
trap 'rm -rf "$perfil"' EXIT
dom=$(timeout 60 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
      --disable-background-networking --disable-component-update --disable-sync \
      --user-data-dir="$perfil" --dump-dom "file://$pagina" 2>/dev/null)
echo "$dom"
fallos=0
espera() {
    if grep -qF -- "$1" <<<"$dom"; then echo "ok: $1"; else echo "MISSING: $1" >&2; fallos=1; fi
}
espera "<title>Rolda Kavo - Descarga ficheros Instalación</title>"
espera "<a href=\"$programa\">$programa"
espera "<a href=\"$actualizador\">$actualizador"
destinos=$(grep -o '<a href="[^"]*"' <<<"$dom" | sort -u)
esperados=$(printf '<a href="%s"\n' "$actualizador" "$programa" | sort -u)
[ "$destinos" = "$esperados" ] || { echo "anchors point elsewhere: $destinos" >&2; fallos=1; }
exit $fallos
