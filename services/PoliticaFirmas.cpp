#include "PoliticaFirmas.h"

#include <algorithm>

#include "Diferencias.h"
#include "TextCodec.h"

#ifndef KV_DIAS_CONGELACION
#error "KV_DIAS_CONGELACION must come from the build"
#endif

namespace firma {
namespace {

bool EmpiezaPor(const std::string& texto, const std::string& prefijo) {
    return !prefijo.empty() && texto.size() >= prefijo.size() &&
           text::UpperAscii(texto.substr(0, prefijo.size())) == text::UpperAscii(prefijo);
}

bool Igual(const std::string& a, const std::string& b) {
    return !b.empty() && text::UpperAscii(a) == text::UpperAscii(b);
}

}  // namespace

TPolitica& Politica() {
    static TPolitica politica;
    return politica;
}

std::string RutaPublicada(const std::string& url) {
    std::string ruta = url;
    const size_t esquema = ruta.find("://");
    if (esquema != std::string::npos) {
        const size_t barra = ruta.find('/', esquema + 3);
        ruta = barra == std::string::npos ? std::string() : ruta.substr(barra + 1);
    }
    const size_t consulta = ruta.find_first_of("?#");
    if (consulta != std::string::npos) ruta.resize(consulta);
    return ruta;
}

TEsperado Esperado(const TPolitica& p, const std::string& ruta) {
    TEsperado e;
    const size_t barra = ruta.find_last_of('/');
    e.nombre = barra == std::string::npos ? ruta : ruta.substr(barra + 1);
    e.producto = p.producto;
    e.ruta = ruta;
    if (!EmpiezaPor(ruta, p.rutaProgramas)) return e;
    const std::string relativa = ruta.substr(p.rutaProgramas.size());
    if (EmpiezaPor(relativa, p.carpetaClientes)) {
        e.fechaMinima = p.fechaMinima;
    } else if (Igual(relativa, p.iniBeta)) {
        e.canal = Canal::Beta;
    } else if (Igual(relativa, p.iniV2)) {
        e.canal = Canal::V2;
    } else {
        e.version = p.version;
        if (Igual(relativa, p.ficheroBeta)) e.canal = Canal::Beta;
        if (Igual(relativa, p.ficheroV2)) e.canal = Canal::V2;
        if (Igual(relativa, p.ficheroActualizacion)) e.desde = p.instalada;
        // The differences this run asks for are, like the incremental
        // archive, made for that one pair.
        const std::optional<uint32_t> desde =
            p.version ? diferencias::DesdeDiferencias(p.instalada, *p.version, p.relanzado) : std::nullopt;
        if (desde && Igual(relativa, diferencias::NombreDiferencias(p.producto, uint16_t(*desde >> 16),
                                                                   uint16_t(*desde & 0xFFFF),
                                                                   uint16_t(*p.version >> 16),
                                                                   uint16_t(*p.version & 0xFFFF))))
            e.desde = desde;
    }
    return e;
}

void Aceptada(TPolitica& p, const TDeclaracion& d) {
    p.fechaMasNueva = std::max(p.fechaMasNueva, d.fecha);
    if (!EmpiezaPor(d.ruta, p.rutaProgramas + p.carpetaClientes) || d.fecha <= p.fechaMinima) return;
    p.fechaMinima = d.fecha;
    if (p.guardarFechaMinima) p.guardarFechaMinima(d.fecha);
}

void ComprobarLocal(TPolitica& p, const std::string& fichero, const std::string& ruta) {
    static const std::vector<std::string> claves = ClavesDeLaVersion();
    if (claves.empty()) return;
    Aceptada(p, ComprobarFichero(fichero, claves, Esperado(p, ruta)));
}

int64_t SegundosCongelacion() { return int64_t(KV_DIAS_CONGELACION) * 86400; }

bool PosibleCongelacion(const TPolitica& p, int64_t ahora) {
    return p.fechaMasNueva != 0 && ahora - p.fechaMasNueva > SegundosCongelacion();
}

}  // namespace firma
