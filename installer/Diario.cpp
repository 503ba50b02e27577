#include "Diario.h"

namespace {

char Letra(TipoAsiento t) {
    switch (t) {
    case TipoAsiento::Movido: return 'M';
    case TipoAsiento::Copiado: return 'K';
    case TipoAsiento::Nuevo: return 'N';
    case TipoAsiento::Carpeta: return 'C';
    }
    return '?';
}

std::vector<std::string> Campos(const std::string& linea) {
    std::vector<std::string> r;
    size_t desde = 0;
    for (size_t p = linea.find('\t'); p != std::string::npos; p = linea.find('\t', desde)) {
        r.push_back(linea.substr(desde, p - desde));
        desde = p + 1;
    }
    r.push_back(linea.substr(desde));
    return r;
}

}  // namespace

std::string LineaAsiento(const TAsiento& a) {
    std::string l(1, Letra(a.tipo));
    l += '\t' + a.ruta;
    if (a.tipo == TipoAsiento::Movido || a.tipo == TipoAsiento::Copiado) l += '\t' + a.copia;
    return l + "\r\n";
}

std::vector<TAsiento> LeerDiario(const std::string& contenido) {
    std::vector<TAsiento> r;
    size_t desde = 0;
    for (size_t fin = contenido.find('\n'); fin != std::string::npos; fin = contenido.find('\n', desde)) {
        std::string linea = contenido.substr(desde, fin - desde);
        desde = fin + 1;
        if (!linea.empty() && linea.back() == '\r') linea.pop_back();
        const std::vector<std::string> c = Campos(linea);
        if (c.empty() || c[0].size() != 1 || c.size() < 2 || c[1].empty()) continue;
        const bool conCopia = c[0] == "M" || c[0] == "K";
        if (c.size() != (conCopia ? 3u : 2u) || (conCopia && c[2].empty())) continue;
        TipoAsiento t;
        switch (c[0][0]) {
        case 'M': t = TipoAsiento::Movido; break;
        case 'K': t = TipoAsiento::Copiado; break;
        case 'N': t = TipoAsiento::Nuevo; break;
        case 'C': t = TipoAsiento::Carpeta; break;
        default: continue;
        }
        r.push_back({t, c[1], conCopia ? c[2] : std::string()});
    }
    return r;
}
