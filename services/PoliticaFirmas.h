// What the updater asks of each release file it fetches or finds beside it,
// and what it keeps from the statements it accepts. The statement's fields
// say what a file is (FirmaFicheros.h); this says what each file of a run
// must be, by the path it is published under:
//
//   <programs>/<clients folder>/NAME   a per-installation release record:
//                                      channel normal, no version asked for
//                                      (its own content names the release),
//                                      never older than the newest record
//                                      accepted before
//   <programs>/<incremental archive>, <the differences from the installed
//              release to this one>    the release, starting from the
//                                      installed version
//   <programs>/<beta archive>, <V2 archive>   the release, channel beta / V2
//   <programs>/<beta description>, <V2 description>   channel beta / V2,
//                                      no version (one file for all releases)
//   <programs>/anything else           a full program archive of the release
//   elsewhere (the shared engine and support archives)   the product and
//                                      the path only
//
// The program fills the one policy of the process at start-up (Politica());
// the download service and the checks of local files consult it, so that
// no caller can fetch a release file without it. Portable.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "FirmaFicheros.h"

namespace firma {

struct TPolitica {
    std::string producto;         // the product code the statements must name
    std::string rutaProgramas;    // published path of the program archives, ending in "/"
    std::string carpetaClientes;  // below rutaProgramas, ending in "/"
    std::string rutaExternos;     // published path of the shared archives, ending in "/"
    std::string ficheroActualizacion, ficheroBeta, iniBeta, ficheroV2, iniV2;
    // The release this run installs, once known (the installer's own
    // header, the per-installation record); until then not asked for.
    std::optional<uint32_t> version;
    uint32_t instalada = 0;  // the installed version (update mode)
    bool relanzado = false;  // started by the relaunch of an older updater
    // The newest release record accepted by earlier runs (kept in the
    // updater's settings): an older one is a replay.
    int64_t fechaMinima = 0;
    // The newest statement accepted in this run; 0 when none was.
    int64_t fechaMasNueva = 0;
    // Keeps a new fechaMinima for the next runs; empty: not kept.
    std::function<void(int64_t)> guardarFechaMinima;
};

// The process's policy.
TPolitica& Politica();

// The path a URL is published under: what follows "scheme://host[:port]/"
// (the query, if any, removed); a path without a scheme is returned as it is.
std::string RutaPublicada(const std::string& url);

// What p asks of the file published under ruta.
TEsperado Esperado(const TPolitica& p, const std::string& ruta);

// Notes a statement accepted under p: the newest moment of the run, and for
// a release record the new floor (kept through guardarFechaMinima).
void Aceptada(TPolitica& p, const TDeclaracion& d);

// A release file taken from a folder (local mode, the record the accounting
// program passes), published under ruta, checked against its signature
// file beside it under the build's keys and p, and noted as accepted.
// Nothing when the build carries no keys. Throws EFirmaRechazada.
void ComprobarLocal(TPolitica& p, const std::string& fichero, const std::string& ruta);

// The age after which the newest release a run can get is suspect: a
// network that keeps answering with an old signed record would otherwise
// keep an office on it for ever. Fixed at build time (KV_DIAS_CONGELACION).
int64_t SegundosCongelacion();
// True when the run accepted statements and the newest is older than the
// limit at `ahora` (seconds since 1970 UTC).
bool PosibleCongelacion(const TPolitica& p, int64_t ahora);

}  // namespace firma
