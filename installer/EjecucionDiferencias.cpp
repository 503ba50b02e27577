// An update through the vendor's differences: taken only when every file
// they patch is the one they expect, otherwise the whole archive.
#include "Ejecucion.h"

#include "CustExtractor.h"
#include "FormatoTexto.h"
#include "Rutas.h"

// The differences' name when this run could use them: an update from the
// server (not local, not a beta) to a later release than the installed one,
// or the relaunched updater's run on the release its predecessor brought.
std::string TEjecucion::DiferenciasAplicables() {
    if (!d_.ModoActualizacion || d_.ModoLocal || d_.ArchivoPrincipal == p_.FicheroBeta()) return {};
    const TypeVersion instalada = d_.VersionesInstaladas.VersionFichero(99);
    const TypeVersion hasta = d_.DatosWeb.VersionFichero(99);
    if (instalada.EsCero()) return {};
    const std::optional<uint32_t> desde =
        diferencias::DesdeDiferencias(instalada.MayorMenor(), hasta.MayorMenor(), d_.IniciadoPorRelanzamiento);
    if (!desde) return {};
    return diferencias::NombreDiferencias(p_.CodigoProducto(), uint16_t(*desde >> 16), uint16_t(*desde & 0xFFFF),
                                          hasta.Major, hasta.Minor);
}

// Rebuilds, in memory, the archive the update extracts: every
// patched file from its installed copy, checked against the manifest before
// anything of the installation changes. False, with the reason in the log,
// when they cannot be used.
bool TEjecucion::PrepararDiferencias(const std::string& nombre) {
    const std::string ruta = DirDescargas() + nombre;
    e_.extraccion.FijarDestinoExtraccion(v_.DirPrograma());
    auto instalado = [&](const std::string& guardado) -> std::unique_ptr<diferencias::TInstalado> {
        const std::string carpeta =
            CarpetaDestino(kav::EntryDestinationFolder(guardado, e_.extraccion.DestinoExtraccion(), true));
        const std::string fichero = ConBarraFinal(carpeta) + NombreDe(guardado);
        if (!e_.ficheros.FicheroExiste(fichero)) return nullptr;
        return e_.ficheros.VerFichero(fichero);
    };
    // As the extraction will decide, without asking the user anything yet.
    auto seEscribe = [&](const kav::TFileEntry& entrada) {
        for (bool alternativo : {false, true}) {
            const std::string& guardado = alternativo ? entrada.AltName : entrada.Name;
            if (guardado.empty()) continue;
            std::string carpeta =
                CarpetaDestino(kav::EntryDestinationFolder(guardado, e_.extraccion.DestinoExtraccion(), true));
            if (DecidirDestino(alternativo ? entrada.AltFileType : entrada.FileType, NombreDe(guardado), entrada.Date,
                               carpeta, false))
                return true;
        }
        return false;
    };
    try {
        v_.FijarDeRuta("Comprobando: ", ruta);
        e_.proceso.ProcesarMensajes();
        const std::vector<diferencias::TEntradaLeida> entradas = e_.extraccion.LeerArchivo(ruta);
        diferencias::TArchivoReconstruido archivo = diferencias::ConstruirArchivo(entradas, instalado, seEscribe);
        for (const std::string& dejado : archivo.dejados)
            Anotar("Diferencias " + nombre + ": " + dejado +
                   " no es el que esperan, y esta actualización no lo escribe: se deja como está");
        // Extracted from memory under a name of its own beside the
        // downloads: written out, it would only be read back.
        const std::string reconstruido = NombreDe(nombre).substr(0, NombreDe(nombre).rfind('.')) + "_ARCHIVO.KAV";
        e_.extraccion.RetenerEnMemoria(DirDescargas() + reconstruido, std::move(archivo.bytes));
        reconstruido_ = reconstruido;
        entradasReconstruido_ = std::move(archivo.entradas);
        Anotar("Diferencias " + nombre + " aplicadas: " + std::to_string(entradasReconstruido_.size()) +
               " ficheros en el archivo " + reconstruido + ", en memoria");
        return true;
    } catch (const std::exception& e) {
        Anotar("Diferencias " + nombre + " no aplicables (" + e.what() + "): se descarga " + d_.ArchivoPrincipal);
        return false;
    }
}
