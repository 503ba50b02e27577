// The release descriptions as the vendor's server publishes them: fetched
// into the download folder with the start-up's progress, each listed to go
// at exit; the installed program's last beta from its settings file.
#pragma once
#include <functional>
#include <string>
#include <utility>

#include "Arranque.h"
#include "LibActualizadorComun.h"

class TDescripcionesWin32 : public TDescripcionesPublicadas {
public:
    TDescripcionesWin32(std::string urlBase, std::string carpeta, TProgresoDescarga progreso,
                        std::function<void(const std::string&)> anotarDescarga,
                        std::function<std::string()> iniPrograma)
        : urlBase_(std::move(urlBase)),
          carpeta_(std::move(carpeta)),
          progreso_(std::move(progreso)),
          anotarDescarga_(std::move(anotarDescarga)),
          iniPrograma_(std::move(iniPrograma)) {}

    bool Descargar(const std::string& nombre) override;
    std::string Leer(const std::string& nombre, const std::string& seccion, const std::string& clave) override;
    bool ExisteSeccion(const std::string& nombre, const std::string& seccion) override;
    double UltimaBetaInstalada() override;

private:
    std::string urlBase_, carpeta_;
    TProgresoDescarga progreso_;
    std::function<void(const std::string&)> anotarDescarga_;
    // Read when asked: the program folder is the page's, known late.
    std::function<std::string()> iniPrograma_;
};
