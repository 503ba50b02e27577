// The archive engine as a run uses it: archives held open, checked, read and
// extracted.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ArchiverMisc.h"
#include "Diferencias.h"
#include "EntradasArchivo.h"
#include "Versiones.h"

// Who answers the engine's events while one archive is extracted, in the
// engine's order: per entry whether and where it is written, then, for each
// file written, the progress after every block and the file once it is
// written and closed; an error instead when the entry fails; the end of the
// operation with what the engine says of it.
class TReceptorExtraccion {
public:
    virtual ~TReceptorExtraccion() = default;

    // `carpeta`: the archive's folder for the entry, which may change;
    // `aceptar`: whether it is written (true when asked).
    virtual void ExtraerFichero(const kav::TFileEntry& entrada, std::string& carpeta, bool& aceptar) = 0;
    // `carpeta`: the folder the file was written to, with a final backslash.
    virtual void FicheroExtraido(const kav::TFileEntry& entrada, const std::string& carpeta) = 0;
    virtual void ProgresoFichero(int porcentaje) = 0;
    virtual void FinOperacion(TResultadoExtractor resultado) = 0;
    // The engine's text; the extraction is then aborted.
    virtual void ErrorExtraccion(const std::string& texto) = 0;
};

class TEfectosExtraccion {
public:
    virtual ~TEfectosExtraccion() = default;

    virtual void FijarDestinoExtraccion(const std::string& carpeta) = 0;
    virtual std::string DestinoExtraccion() = 0;
    // Opens the archive and extracts it, its events told to `receptor` and
    // to no one else; what the engine says of the run.
    virtual TResultadoExtractor ExtraerArchivo(const std::string& archivo, TReceptorExtraccion& receptor) = 0;
    virtual void CerrarArchivo() = 0;
    // Told the engine's percentage while an archive is read; setting
    // `cancelar` stops the reading.
    using ProgresoLectura = std::function<void(int porcentaje, bool& cancelar)>;
    // Reads the whole archive through the engine without writing anything
    // (every block's checksum, the inflate, every entry's size, every
    // segment) and returns its entries; raises the engine's text when any
    // of it is unsound, EAbort when `progreso` stopped it.
    virtual std::vector<kav::TFileEntry> ComprobarArchivo(const std::string& archivo,
                                                          const ProgresoLectura& progreso) = 0;
    virtual void AbortarExtraccion() = 0;
    // Every file entry of the archive with its data, read through the engine
    // (every block checked); raises the engine's text when any of it is unsound.
    virtual std::vector<diferencias::TEntradaLeida> LeerArchivo(const std::string& archivo) = 0;
    // Opens the archive and keeps it open, with writing and deleting denied
    // to everyone else, until SoltarArchivos: its signature check, its
    // check and its extraction all read that one open file, never the path
    // again, so it cannot be swapped in between. Raises naming the file
    // when it cannot be opened so.
    virtual void RetenerArchivo(const std::string& archivo) = 0;
    // An archive the run made itself, held in memory under the path
    // `archivo` until SoltarArchivos: everything that reads that path reads
    // these bytes, and no file is written or opened for it.
    virtual void RetenerEnMemoria(const std::string& archivo, std::string bytes) = 0;
    virtual void SoltarArchivos() = 0;

    // Major.minor of the program an archive holds in the entry, extracted
    // into a folder of its own and read there, never where it goes (zeros
    // when it has no version resource). Raises the engine's text.
    virtual TypeVersion VersionEnArchivo(const std::string& archivo, const kav::TFileEntry& entrada) = 0;

};
