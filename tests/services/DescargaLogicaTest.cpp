// The download's decisions against a scripted server, a partial file in
// memory and a fake clock: retries and their pauses, resume or start over,
// caps, redirects, the deadline and cancel.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "DescargaLogica.h"

namespace {

using namespace descarga;

const std::string kUrl = "https://www.kavo.es/x.kav";
const std::string kError = "Error descargando URL: " + kUrl;

std::string Bytes(size_t n, char semilla = 'a') {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(semilla + i % 23);
    return s;
}

// One answer of the scripted server: its head, its body and how the body ends.
struct Respuesta {
    Cabeceras cabeceras;
    std::string cuerpo;
    Lectura final = Lectura::Fin;
    bool sinFin = false;  // the body never ends: bytes for ever
};

Respuesta Entera(const std::string& cuerpo, const std::string& etag = "\"v1\"") {
    Respuesta r;
    r.cabeceras.estado = 200;
    r.cabeceras.longitud = cuerpo.size();
    r.cabeceras.etag = etag;
    r.cuerpo = cuerpo;
    return r;
}

Respuesta Cortada(const std::string& cuerpo, size_t en, Lectura como = Lectura::Cortada) {
    Respuesta r = Entera(cuerpo);
    r.cuerpo = cuerpo.substr(0, en);
    r.final = como;
    return r;
}

Respuesta Resto(const std::string& cuerpo, size_t desde, const std::string& etag = "\"v1\"") {
    Respuesta r;
    r.cabeceras.estado = 206;
    r.cabeceras.rango = "bytes " + std::to_string(desde) + "-" + std::to_string(cuerpo.size() - 1) + "/" +
                        std::to_string(cuerpo.size());
    r.cabeceras.longitud = cuerpo.size() - desde;
    r.cabeceras.etag = etag;
    r.cuerpo = cuerpo.substr(desde);
    return r;
}

Respuesta Estado(int estado, const std::string& ubicacion = {}) {
    Respuesta r;
    r.cabeceras.estado = estado;
    r.cabeceras.ubicacion = ubicacion;
    return r;
}

struct Peticion {
    std::string url, extra;
};

// Reading a piece takes msPorTrozo on the fake clock.
class Servidor : public ITransporte, public IParcial, public IReloj {
public:
    explicit Servidor(std::vector<Respuesta> guion) : guion_(guion.begin(), guion.end()) {}

    Cabeceras Pedir(const std::string& url, const std::string& extra, uint32_t) override {
        peticiones.push_back({url, extra});
        if (guion_.empty()) return {};
        actual_ = guion_.front();
        guion_.pop_front();
        leido_ = 0;
        return actual_.cabeceras;
    }
    Lectura Leer(char* destino, size_t n, size_t& leidos) override {
        ahora += msPorTrozo;
        if (actual_.sinFin) {
            leidos = n;
            std::fill(destino, destino + n, 'x');
            return Lectura::Datos;
        }
        leidos = std::min(n, std::min<size_t>(4096, actual_.cuerpo.size() - leido_));
        actual_.cuerpo.copy(destino, leidos, leido_);
        leido_ += leidos;
        return leido_ < actual_.cuerpo.size() ? Lectura::Datos : actual_.final;
    }
    void Soltar() override {}

    uint64_t Tamano() override { return fichero.size(); }
    void Vaciar() override { fichero.clear(); }
    void Anadir(const char* d, size_t n) override { fichero.append(d, n); }

    uint64_t AhoraMs() override { return ahora; }
    void Dormir(uint32_t ms) override { ahora += ms; }
    // The middle of the window: the pause is drawn, not fixed.
    uint32_t Azar(uint32_t hasta) override {
        ventanas.push_back(hasta);
        return hasta / 2;
    }

    std::vector<Peticion> peticiones;
    std::vector<uint32_t> ventanas;
    std::string fichero;
    uint64_t ahora = 1000;
    uint64_t msPorTrozo = 0;

private:
    std::deque<Respuesta> guion_;
    Respuesta actual_;
    size_t leido_ = 0;
};

// Runs one download; the error's message, empty when it succeeded.
std::string Bajar(Servidor& s, const Limites& limites = {}, const Progreso& progreso = {}) {
    try {
        Descargar(kUrl, s, s, s, limites, progreso);
        return {};
    } catch (const Exception& e) {
        return e.Message();
    }
}

TEST(DescargaLogica, PauseWindowsDoubleUpToTheCap) {
    Limites l;
    l.pausaPrimeraMs = 500;
    l.pausaMaximaMs = 3000;
    const uint32_t esperadas[] = {500, 1000, 2000, 3000, 3000};
    for (int k = 1; k <= 5; ++k) EXPECT_EQ(VentanaPausa(k, l), esperadas[k - 1]) << k;
    EXPECT_EQ(VentanaPausa(200, l), 3000u);  // no overflow far out
}

// Every transient answer is retried after a pause drawn from its window;
// the pause is spent on the clock, and the last failure is the error.
TEST(DescargaLogica, TransientFailuresRetryWithJitteredPauses) {
    const std::vector<std::pair<const char*, Respuesta>> pasajeras = {
        {"500", Estado(500)}, {"503", Estado(503)}, {"429", Estado(429)}, {"sin servidor", Estado(0)},
        {"cortada", Cortada(Bytes(100), 0)}, {"sin progreso", Cortada(Bytes(100), 0, Lectura::SinProgreso)},
    };
    for (const auto& [nombre, r] : pasajeras) {
        SCOPED_TRACE(nombre);
        Servidor s({r, r, r, r, r});
        EXPECT_EQ(Bajar(s), kError);
        EXPECT_EQ(s.peticiones.size(), 1u + kReintentos);
        EXPECT_EQ(s.ventanas, (std::vector<uint32_t>{500, 1000, 2000}));
        EXPECT_EQ(s.ahora, 1000u + 250 + 500 + 1000);
    }
    Servidor pasa({Estado(502), Entera(Bytes(10))});
    EXPECT_EQ(Bajar(pasa), "");
    EXPECT_EQ(pasa.fichero, Bytes(10));
}

TEST(DescargaLogica, FinalAnswersAreNotRetried) {
    Servidor noEsta({Estado(404)});
    try {
        Descargar(kUrl, noEsta, noEsta, noEsta, {}, {});
        ADD_FAILURE() << "no error";
    } catch (const EDescargaNoEncontrada& e) {
        EXPECT_EQ(e.Message(), kError);
    }
    for (int estado : {403, 410, 304}) {
        Servidor s({Estado(estado), Entera("x")});
        EXPECT_EQ(Bajar(s), kError) << estado;
        EXPECT_EQ(s.peticiones.size(), 1u) << estado;
    }
}

// The handler is asked all through a pause: a cancel ends it at once.
TEST(DescargaLogica, CancelDuringAPauseIsHonouredAtOnce) {
    Servidor s({Estado(500), Entera("x")});
    Limites l;
    l.pausaPrimeraMs = l.pausaMaximaMs = 60000;
    int enPausa = 0;
    const std::string error = Bajar(s, l, [&](uint64_t, uint64_t, Etapa e, const std::string&) {
        if (e != Etapa::EsperandoReintento) return false;
        return ++enPausa == 3;
    });
    EXPECT_EQ(error, kError);
    EXPECT_EQ(s.peticiones.size(), 1u);
    EXPECT_LE(s.ahora - 1000, 2u * 50) << "the pause went on after the cancel";
}

// A cut or stalled transfer goes on from the byte it reached, if the server
// confirms (If-Range) that the file is the one those bytes came from.
TEST(DescargaLogica, ResumesFromTheBytesHeld) {
    const std::string todo = Bytes(100000);
    for (Lectura como : {Lectura::Cortada, Lectura::SinProgreso}) {
        Servidor s({Cortada(todo, 90000, como), Resto(todo, 90000)});
        EXPECT_EQ(Bajar(s), "");
        EXPECT_TRUE(s.fichero == todo);
        ASSERT_EQ(s.peticiones.size(), 2u);
        EXPECT_EQ(s.peticiones[0].extra, "");
        EXPECT_EQ(s.peticiones[1].extra, "Range: bytes=90000-\r\nIf-Range: \"v1\"\r\n");
    }
}

// What the answer to a resume means for the bytes held.
TEST(DescargaLogica, AnAnswerThatIsNotTheRestStartsOver) {
    const std::string viejo = Bytes(50000, 'a'), nuevo = Bytes(60000, 'k');
    struct Caso {
        const char* nombre;
        std::vector<Respuesta> guion;
        std::string queda;
        size_t peticiones;
    };
    Respuesta otroRango = Resto(viejo, 100);
    Respuesta otraVersion = Resto(viejo, 20000, "\"v2\"");
    const Caso casos[] = {
        // If-Range did not match: the new file comes whole.
        {"cambiado", {Cortada(viejo, 20000), Entera(nuevo, "\"v2\"")}, nuevo, 2},
        {"otro rango", {Cortada(viejo, 20000), otroRango, Entera(viejo)}, viejo, 3},
        {"otra version", {Cortada(viejo, 20000), otraVersion, Entera(viejo)}, viejo, 3},
        {"416", {Cortada(viejo, 20000), Estado(416), Entera(viejo)}, viejo, 3},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        Servidor s(c.guion);
        EXPECT_EQ(Bajar(s), "");
        EXPECT_TRUE(s.fichero == c.queda);
        EXPECT_EQ(s.peticiones.size(), c.peticiones);
        if (c.peticiones == 3) {
            EXPECT_EQ(s.peticiones[2].extra, "");
        }
    }
}

// Without a validator it can send back, nothing is resumed: a weak ETag, a
// decoded body, no validator at all.
TEST(DescargaLogica, NoValidatorNoResume) {
    const std::string todo = Bytes(30000);
    Respuesta debil = Cortada(todo, 10000), codificada = Cortada(todo, 10000), nada = Cortada(todo, 10000);
    debil.cabeceras.etag = "W/\"v1\"";
    codificada.cabeceras.codificada = true;
    nada.cabeceras.etag.clear();
    for (const Respuesta& primera : {debil, codificada, nada}) {
        Servidor s({primera, Entera(todo)});
        EXPECT_EQ(Bajar(s), "");
        EXPECT_TRUE(s.fichero == todo);
        EXPECT_EQ(s.peticiones.at(1).extra, "");
    }
    // A date serves when the ETag cannot.
    Respuesta conFecha = debil;
    conFecha.cabeceras.ultimaModificacion = "Fri, 11 Dec 2026 01:00:00 GMT";
    Servidor s({conFecha, Resto(todo, 10000, "")});
    EXPECT_EQ(Bajar(s), "");
    EXPECT_EQ(s.peticiones.at(1).extra, "Range: bytes=10000-\r\nIf-Range: Fri, 11 Dec 2026 01:00:00 GMT\r\n");
}

// A long transfer on a line that keeps cutting goes on while each attempt
// moves a good part of the file.
TEST(DescargaLogica, AttemptsThatMoveMuchDoNotUseUpRetries) {
    const size_t mb = 1 << 20;
    const std::string todo = Bytes(6 * mb);
    std::vector<Respuesta> guion = {Cortada(todo, mb)};
    for (size_t i = 1; i < 5; ++i) {
        Respuesta r = Resto(todo, i * mb);
        r.cuerpo.resize(mb);
        r.final = Lectura::Cortada;
        guion.push_back(r);
    }
    guion.push_back(Resto(todo, 5 * mb));
    Servidor s(guion);
    EXPECT_EQ(Bajar(s), "");
    EXPECT_TRUE(s.fichero == todo);
    EXPECT_EQ(s.peticiones.size(), 6u);
}

// Never more bytes than the caller allows: an announced size above the cap
// is refused before the body, a body that grows past it is stopped there.
TEST(DescargaLogica, BodiesAreCapped) {
    Limites l;
    l.tamanoMaximo = 100000;
    Respuesta larga = Entera(Bytes(100001));
    Respuesta sinFin = Estado(200);
    sinFin.sinFin = true;
    Respuesta mentira = Entera(Bytes(150000));  // announces less than it sends
    mentira.cabeceras.longitud = 1000;
    for (const auto& guion : std::vector<std::vector<Respuesta>>{
             {larga}, {sinFin}, {mentira}}) {
        Servidor s(guion);
        s.msPorTrozo = 1;
        EXPECT_THROW(Descargar(kUrl, s, s, s, l, {}), EDescargaExcedida);
        EXPECT_EQ(s.peticiones.size(), guion.size()) << "refused, not retried";
        EXPECT_LE(s.fichero.size(), l.tamanoMaximo);
    }
    Servidor justa({Entera(Bytes(100000))});
    EXPECT_EQ(Bajar(justa, l), "");
}

TEST(DescargaLogica, RedirectsAreFollowedOnlyToHttps) {
    Servidor segura({Estado(302, "https://espejo.kavo.es/x.kav"), Entera("dato")});
    EXPECT_EQ(Bajar(segura), "");
    EXPECT_EQ(segura.peticiones.at(1).url, "https://espejo.kavo.es/x.kav");
    for (const char* destino : {"http://espejo.kavo.es/x.kav", "ftp://espejo/x.kav", "", "https://"}) {
        Servidor s({Estado(301, destino), Entera("dato")});
        EXPECT_EQ(Bajar(s), kError) << destino;
        EXPECT_EQ(s.peticiones.size(), 1u) << destino;
    }
    std::vector<Respuesta> bucle(kRedireccionesMaximas + 1, Estado(307, kUrl));
    bucle.push_back(Entera("dato"));
    Servidor s(bucle);
    EXPECT_EQ(Bajar(s), kError);
}

// The run's deadline ends a slow transfer and forbids a pause that would
// cross it; neither is retried.
TEST(DescargaLogica, TheDeadlineEndsTheDownload) {
    Servidor lenta({Entera(Bytes(1 << 20)), Entera(Bytes(1 << 20))});
    lenta.msPorTrozo = 1000;
    Limites l;
    l.plazo = lenta.ahora + 10000;
    EXPECT_EQ(Bajar(lenta, l), kError);
    EXPECT_EQ(lenta.peticiones.size(), 1u);
    EXPECT_LE(lenta.ahora, l.plazo + 1000);

    Servidor caida({Estado(500), Entera("x")});
    l.plazo = caida.ahora + 100;  // the first pause's middle is 250 ms
    EXPECT_EQ(Bajar(caida, l), kError);
    EXPECT_EQ(caida.peticiones.size(), 1u);
}

TEST(DescargaLogica, ReadsContentRange) {
    struct Caso {
        const char* valor;
        bool vale;
        uint64_t primero, ultimo, total;  // total 0: "*"
    };
    const Caso casos[] = {
        {"bytes 0-99/100", true, 0, 99, 100},
        {" Bytes 90-99/100 ", true, 90, 99, 100},
        {"bytes 5-9/*", true, 5, 9, 0},
        {"bytes 0-18446744073709551614/18446744073709551615", true, 0, 18446744073709551614u, 18446744073709551615u},
        {"bytes 0-99/18446744073709551616", false, 0, 0, 0},  // overflow
        {"bytes 10-9/100", false, 0, 0, 0},
        {"bytes 0-100/100", false, 0, 0, 0},
        {"bytes */100", false, 0, 0, 0},
        {"bytes 0-99", false, 0, 0, 0},
        {"bytes 0-99/100x", false, 0, 0, 0},
        {"bytes -5-9/100", false, 0, 0, 0},
        {"items 0-99/100", false, 0, 0, 0},
        {"bytes", false, 0, 0, 0},
        {"", false, 0, 0, 0},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.valor);
        const auto r = LeerRangoContenido(c.valor);
        ASSERT_EQ(r.has_value(), c.vale);
        if (!r) continue;
        EXPECT_EQ(r->primero, c.primero);
        EXPECT_EQ(r->ultimo, c.ultimo);
        EXPECT_EQ(r->total.value_or(0), c.total);
    }
}

}  // namespace
