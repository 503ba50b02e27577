// The extraction seam on Windows: the window's extractor for the run's
// extraction, extractors of its own for checks and single entries, and the
// archives held open between them.
#pragma once
#include <map>

#include "EfectosExtraccion.h"
#include "platform/Platform.h"

class TCarpetaPrivada;
class TExtractorInstalador;
namespace kav {
class TArchiverRoot;
}

class TExtraccionWin32 : public TEfectosExtraccion {
public:
    // `extractor`: the one the run's archives are extracted with;
    // `descargas`: the private folder the differences are worked out in.
    TExtraccionWin32(TExtractorInstalador& extractor, TCarpetaPrivada& descargas)
        : extractor_(extractor), descargas_(descargas) {}

    void FijarDestinoExtraccion(const std::string& carpeta) override;
    std::string DestinoExtraccion() override;
    TResultadoExtractor ExtraerArchivo(const std::string& archivo, TReceptorExtraccion& receptor) override;
    void CerrarArchivo() override;
    std::vector<kav::TFileEntry> ComprobarArchivo(const std::string& archivo,
                                                  const ProgresoLectura& progreso) override;
    void AbortarExtraccion() override;
    std::vector<diferencias::TEntradaLeida> LeerArchivo(const std::string& archivo) override;
    TypeVersion VersionEnArchivo(const std::string& archivo, const kav::TFileEntry& entrada) override;
    void RetenerArchivo(const std::string& archivo) override;
    void RetenerEnMemoria(const std::string& archivo, std::string bytes) override;
    void SoltarArchivos() override;

private:
    // Points the reader at the archive as it is held, if it is.
    void LeerRetenido(kav::TArchiverRoot& lector, const std::string& archivo);

    TExtractorInstalador& extractor_;
    TCarpetaPrivada& descargas_;
    // The archives held by RetenerArchivo and RetenerEnMemoria, by path.
    std::map<std::string, kav::os::File> retenidos_;
    std::map<std::string, std::string> enMemoria_;
};
