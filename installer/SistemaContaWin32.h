// The accounting product's side of the system on this machine. Built from
// what it is lent: the program's settings file is the window's to name.
#pragma once
#include <functional>
#include <string>

#include "ProductoConta.h"

class TSistemaContaWin32 : public conta::TSistemaConta {
public:
    explicit TSistemaContaWin32(std::function<std::string()> rutaIni) : rutaIni_(std::move(rutaIni)) {}

    TypePathFilesConta LeerRutasConta(const std::string& base, const std::string& subruta,
                                      const std::string& nombreIni) override;
    std::string CarpetaEscritorio() override;
    void CrearAccesoDirecto(const std::string& destino, const std::string& nombre, const std::string& carpeta,
                            const std::string& icono) override;
    std::string RutaIni() override { return rutaIni_(); }
    void EscribirIniBtrieve(const std::string& ini) override;
    void GuardarCodigoCliente(const std::string& carpetaPrograma, const std::string& nombreIni,
                              uint32_t codigo) override;
    TypeVersionesConta LeerVersionesInstaladas(const std::string& carpeta, const std::string& actualizador) override;

private:
    std::function<std::string()> rutaIni_;
};
