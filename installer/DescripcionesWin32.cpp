#include "DescripcionesWin32.h"

#include "ReglasInstalador.h"

// A description the vendor has not published (404) means no such release;
// every other download error still stops the caller.
bool TDescripcionesWin32::Descargar(const std::string& nombre) {
    try {
        DescargarFichero(urlBase_, nombre, carpeta_, progreso_);
    } catch (const EDescargaNoEncontrada&) {
        return false;
    }
    anotarDescarga_(carpeta_ + nombre);
    return FicheroExiste(carpeta_ + nombre);
}

std::string TDescripcionesWin32::Leer(const std::string& nombre, const std::string& seccion,
                                      const std::string& clave) {
    return LeerIniTexto(carpeta_ + nombre, seccion, clave, "");
}

bool TDescripcionesWin32::ExisteSeccion(const std::string& nombre, const std::string& seccion) {
    return ExisteSeccionIni(carpeta_ + nombre, seccion);
}

double TDescripcionesWin32::UltimaBetaInstalada() {
    return LeerFechaHora(LeerIniTexto(iniPrograma_(), "ACTUALIZACION", "ULTIMA_BETA", "0"));
}
