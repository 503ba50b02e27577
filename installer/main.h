// The accounting product's installer window: file names, archive names,
// folders, web folder and start-up preparation of "Contabilidad Kavo".
#pragma once
#include "FormKavoInstala.h"

class TFMain : public TFFormKavoInstala {
public:
    TFMain();

    TFFramePrograma* CrearPaginaPrograma() override;
    void PrepararActualizacion() override;
    std::string NombreIniPrograma() override { return "CONTA.INI"; }
    std::string RutaProgramaInstalado() override;
    std::string RutaProgramaEjecutar() override { return DirEjecutable + "CONTA.EXE"; }
    std::string RutaPaqueteDatos() override;
    std::string PreguntaFinal() override { return "¿Abrimos la Conta?"; }
    void CrearAccesos() override;
    void LeerRutasDatos() override;
    bool Preparar() override;
    bool AceptarPaquete(const std::string& fichero) override;
    bool AceptarPaqueteAdicional(const std::string&) override { return true; }
    bool AceptarFichero(uint8_t tipoFichero, const std::string& nombre, double fecha,
                        std::string& carpetaDestino) override;
    std::string FicheroPrograma() override { return "QTR.KAV"; }
    std::string FicheroActualizacion() override { return "QTRACT.KAV"; }
    std::string FicheroBeta() override { return "QTRBETA.KAV"; }
    std::string IniBeta() override { return "QTRBETA.INI"; }
    std::string UrlProgramas() override { return Servidor() + "/_descargas_/externos/Conta/"; }
    void IniExtraido() override;
    void TrasExtraer() override;
    std::string CodigoProducto() override { return "QTR"; }
    std::string NombreProducto() override { return "Conta"; }

    void FormCreate() override;

    bool IniciadoConArgumento = false;
    std::string DirBalances, DirEstructurasMemoria, DirConfigDeposito, DirGenerador;

private:
    void ObtenerFicheroCliente();
};

// Where an installation records its customer code for the updater: the
// program's settings INI, section ACTUALIZACION, key CODIGOCLIENTE.
void RegistrarCodigoCliente(const std::string& iniPrograma, uint32_t codigo);
uint32_t LeerCodigoClienteRegistrado(const std::string& iniPrograma);
// The per-installation release record of a customer on the vendor's server,
// below the program archives' folder.
std::string NombreFicheroClienteDe(uint32_t codigo);
inline constexpr const char* kCarpetaClientes = "clientes/";
