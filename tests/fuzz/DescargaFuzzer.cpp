// The download's decisions against a hostile server: each input line is one
// answer, "STATUS;CONTENT-LENGTH;CONTENT-RANGE;ETAG;LAST-MODIFIED;ENCODED;
// BODY-BYTES;END" (END: 0 the body ends, 1 cut, 2 stalls), the Content-Range
// value also read on its own. Whatever the answers, the file never grows past
// the cap, a whole download holds exactly what the last answer announced, and
// nothing but the download's error comes out.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "DescargaLogica.h"

namespace {

using namespace descarga;

struct Guion {
    Cabeceras cabeceras;
    uint64_t cuerpo = 0;
    Lectura final = Lectura::Fin;
};

uint64_t Numero(const std::string& s) { return std::strtoull(s.c_str(), nullptr, 10); }

std::vector<Guion> Leer(const std::string& entrada) {
    std::vector<Guion> guion;
    std::istringstream in(entrada);
    for (std::string linea; std::getline(in, linea) && guion.size() < 16;) {
        std::vector<std::string> campos;
        std::istringstream l(linea);
        for (std::string c; std::getline(l, c, ';');) campos.push_back(c);
        campos.resize(8);
        Guion g;
        g.cabeceras.estado = static_cast<int>(Numero(campos[0]) % 1000);
        if (!campos[1].empty()) g.cabeceras.longitud = Numero(campos[1]);
        g.cabeceras.rango = campos[2];
        g.cabeceras.etag = campos[3];
        g.cabeceras.ultimaModificacion = campos[4];
        g.cabeceras.codificada = campos[5] == "1";
        g.cuerpo = std::min<uint64_t>(Numero(campos[6]), 1 << 19);
        g.final = campos[7] == "1" ? Lectura::Cortada : campos[7] == "2" ? Lectura::SinProgreso : Lectura::Fin;
        g.cabeceras.ubicacion = "https://espejo/x";
        guion.push_back(g);
    }
    return guion;
}

class Servidor : public ITransporte, public IParcial, public IReloj {
public:
    explicit Servidor(std::vector<Guion> g) : guion_(std::move(g)) {}
    Cabeceras Pedir(const std::string&, const std::string&, uint32_t) override {
        if (siguiente_ >= guion_.size()) return {};
        actual_ = guion_[siguiente_++];
        return actual_.cabeceras;
    }
    Lectura Leer(char* d, size_t n, size_t& leidos) override {
        leidos = static_cast<size_t>(std::min<uint64_t>(n, actual_.cuerpo));
        std::fill(d, d + leidos, 'k');
        actual_.cuerpo -= leidos;
        return actual_.cuerpo ? Lectura::Datos : actual_.final;
    }
    void Soltar() override {}
    uint64_t Tamano() override { return tamano; }
    void Vaciar() override { tamano = 0; }
    void Anadir(const char*, size_t n) override {
        tamano += n;
        if (tamano > kCap) std::abort();
    }
    uint64_t AhoraMs() override { return ahora; }
    void Dormir(uint32_t ms) override { ahora += ms; }
    uint32_t Azar(uint32_t hasta) override { return hasta; }

    static constexpr uint64_t kCap = 3 << 17;
    uint64_t tamano = 0, ahora = 0;
    std::vector<Guion> guion_;
    size_t siguiente_ = 0;
    Guion actual_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string entrada(reinterpret_cast<const char*>(data), size);
    if (const auto r = LeerRangoContenido(entrada)) {
        if (r->ultimo < r->primero || (r->total && r->ultimo >= *r->total)) std::abort();
    }
    Servidor s(Leer(entrada));
    Limites l;
    l.tamanoMaximo = Servidor::kCap;
    l.plazo = 10 * 60 * 1000;
    try {
        Descargar("https://www.kavo.es/x.kav", s, s, s, l, {});
        const Guion& ultima = s.actual_;
        const Cabeceras& c = ultima.cabeceras;
        // A whole file holds exactly what the server announced for it.
        if (c.estado == 200 && !c.codificada && c.longitud && *c.longitud != s.tamano) std::abort();
        if (c.estado == 206) {
            const auto r = LeerRangoContenido(c.rango);
            if (!r || (r->total ? *r->total : r->ultimo + 1) != s.tamano) std::abort();
        }
    } catch (const Exception&) {
    }
    return 0;
}
