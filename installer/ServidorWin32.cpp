#include "ServidorWin32.h"

#include "FirmaFicheros.h"
#include "LibActualizadorComun.h"
#include "PoliticaFirmas.h"
#include "Rutas.h"

bool TServidorWin32::HayConexionInternet() { return ::HayConexionInternet(); }

void TServidorWin32::DescargarFichero(const std::string& base, const std::string& nombre, const std::string& carpeta,
                                      const Progreso& progreso) {
    try {
        ::DescargarFichero(base, nombre, carpeta,
                           [&](void*, uint32_t p, uint32_t m, TEstadoDescarga, const std::string&, bool& cancelar) {
                               progreso(p, m, cancelar);
                           });
    } catch (const EDescargaNoEncontrada& e) {
        throw EFicheroNoPublicado(e.what());
    }
}

void TServidorWin32::AvisarServidor(const std::string& url) { EnviarPeticion(url); }

void TServidorWin32::ComprobarFirma(const std::string& ruta, CarpetaPublicada carpeta) {
    firma::TPolitica& p = firma::Politica();
    firma::ComprobarLocal(p, ruta,
                          (carpeta == CarpetaPublicada::Programas ? p.rutaProgramas : p.rutaExternos) + NombreDe(ruta));
}

void TServidorWin32::ComprobarFirmaPublicada(const std::string& url, const std::string& ruta) {
    ComprobarConFirmaPublicada(url, ruta);
}

std::string Servidor() {
    std::string s = ServidorKavo();
    while (!s.empty() && s.back() == '/') s.pop_back();
    return s;
}

std::string TServidorWin32::Servidor() { return ::Servidor(); }
