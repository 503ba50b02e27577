// The accounting product's installer window: file names, archive names,
// folders, web folder, the per-entry decisions and the start-up preparation
// of "Contabilidad Kavo". The names and the decisions themselves live in
// ProductoConta; this class asks the system and applies them.
#pragma once
#include "FormKavoInstala.h"
#include "ProductoConta.h"

class TFMain : public TFFormKavoInstala {
public:
    TFMain();

    TFFramePrograma* CrearPaginaPrograma() override;
    void PrepararActualizacion() override;
    std::string NombreIniPrograma() override { return conta::kIniPrograma; }
    std::string RutaProgramaInstalado() override;
    std::string RutaProgramaEjecutar() override { return DirEjecutable + conta::kPrograma; }
    std::string RutaPaqueteDatos() override;
    std::string PreguntaFinal() override { return conta::kPreguntaFinal; }
    void CrearAccesos() override;
    void LeerRutasDatos() override;
    TCarpetasInstalacion CarpetasInstalacion() override;
    bool Preparar() override;
    bool AceptarPaquete(const std::string& fichero, bool avisar) override;
    bool AceptarPaqueteAdicional(const std::string&) override { return true; }
    bool AceptarFichero(uint8_t tipoFichero, const std::string& nombre, double fecha,
                        std::string& carpetaDestino) override;
    std::string FicheroPrograma() override { return conta::kFicheroPrograma; }
    std::string FicheroActualizacion() override { return conta::kFicheroActualizacion; }
    std::string FicheroBeta() override { return conta::kFicheroBeta; }
    std::string IniBeta() override { return conta::kIniBeta; }
    std::string UrlProgramas() override { return Servidor() + conta::kCarpetaWeb; }
    void IniExtraido() override;
    std::vector<std::string> FicherosObsoletos() override;
    std::string CodigoProducto() override { return conta::kCodigoProducto; }
    std::string NombreProducto() override { return conta::kNombreProducto; }

    void FormCreate() override;
    void Extractor1FileExtracted(const kav::TFileEntry& entrada, const std::string& carpeta) override;

    bool IniciadoConArgumento = false;
    std::string DirBalances, DirEstructurasMemoria, DirConfigDeposito, DirGenerador;

private:
    bool FicheroClienteAlLado(const std::string& urlClientes);
};
