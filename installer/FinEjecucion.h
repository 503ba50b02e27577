// How a run (or the start-up before it) ended, by name. Set where the run
// decides it, and carried by the error that stops it, so that what a
// deployment script is told never depends on the wording of a message.
// Portable.
#pragma once
#include <cstdint>
#include <string>

#include "Exception.h"

enum class TFinEjecucion : uint8_t {
    EnCurso,          // nothing has ended yet
    Correcta,
    Cancelada,        // the user asked for it
    SinConexion,      // the vendor's server could not be reached
    DescargaFallida,
    ArchivoDanado,
    FirmaRechazada,
    FicheroEnUso,
    VersionMasNueva,  // the installed version is newer than the release
    Bloqueada,        // another user holds the installation's lock
    Error,            // any other failure
};

// An error that stops the run with its end named.
class EFinEjecucion : public Exception {
public:
    EFinEjecucion(TFinEjecucion fin, const std::string& texto) : Exception(texto), fin_(fin) {}
    TFinEjecucion Fin() const { return fin_; }

private:
    TFinEjecucion fin_;
};
