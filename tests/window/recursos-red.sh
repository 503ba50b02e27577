#!/bin/sh
# The window tests' network shares. Wine serves \\server\share from the
# folder dosdevices/unc/server/share of its prefix: the tests' folder is
# shared as "datos" by SRV01, standing for another computer, and by this
# computer under its own name.
#   recursos-red.sh WINEPREFIX FOLDER
set -e
prefijo=${KV_WINEPREFIX:-$1}
# Wine must make its prefix before anything is written into it.
"$(dirname "$0")/../../scripts/wine-prefix.sh" "$prefijo"
carpeta=$2
equipo=$(hostname | cut -d. -f1 | tr '[:upper:]' '[:lower:]')
for servidor in srv01 "$equipo"; do
    mkdir -p "$prefijo/dosdevices/unc/$servidor"
    ln -sfn "$carpeta" "$prefijo/dosdevices/unc/$servidor/datos"
done
