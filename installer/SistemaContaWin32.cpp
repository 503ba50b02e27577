#include "SistemaContaWin32.h"

#include "Carpetas.h"
#include "Instalacion.h"
#include "MotorSistema.h"
#include "VersionesInstaladas.h"

TypePathFilesConta TSistemaContaWin32::LeerRutasConta(const std::string& base, const std::string& subruta,
                                                      const std::string& nombreIni) {
    return ::LeerRutasConta(base, subruta, nombreIni);
}

std::string TSistemaContaWin32::CarpetaEscritorio() { return ::CarpetaEscritorio(); }

void TSistemaContaWin32::CrearAccesoDirecto(const std::string& destino, const std::string& nombre,
                                            const std::string& carpeta, const std::string& icono) {
    ::CrearAccesoDirecto(destino, nombre, carpeta, icono);
}

void TSistemaContaWin32::EscribirIniBtrieve(const std::string& ini) { ::EscribirIniBtrieve(ini, false); }

void TSistemaContaWin32::GuardarCodigoCliente(const std::string& carpetaPrograma, const std::string& nombreIni,
                                              uint32_t codigo) {
    ::RegistrarCodigoCliente(carpetaPrograma, nombreIni, codigo);
}

TypeVersionesConta TSistemaContaWin32::LeerVersionesInstaladas(const std::string& carpeta,
                                                               const std::string& actualizador) {
    return ::LeerVersionesInstaladas(carpeta, actualizador);
}
