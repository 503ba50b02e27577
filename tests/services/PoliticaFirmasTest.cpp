// What the updater asks of each file of a run, by the path it is published
// under, and what it keeps from the statements it accepts.
#include <gtest/gtest.h>

#include "PoliticaFirmas.h"

namespace {

using firma::Canal;

constexpr uint32_t k1006 = (10u << 16) | 6, k1005 = (10u << 16) | 5;

firma::TPolitica Conta() {
    firma::TPolitica p;
    p.producto = "QTR";
    p.rutaProgramas = "_descargas_/externos/Conta/";
    p.rutaExternos = "_descargas_/externos/";
    p.carpetaClientes = "clientes/";
    p.ficheroActualizacion = "QTRACT.KAV";
    p.ficheroBeta = "QTRBETA.KAV";
    p.iniBeta = "QTRBETA.INI";
    p.version = k1006;
    p.instalada = k1005;
    p.fechaMinima = 1000;
    return p;
}

TEST(PoliticaFirmas, AsksEachFileOfTheRunForWhatItIs) {
    struct Caso {
        const char* ruta;
        Canal canal;
        std::optional<uint32_t> version, desde;
        int64_t fechaMinima;
    };
    const Caso casos[] = {
        {"_descargas_/externos/Conta/QTR.KAV", Canal::Normal, k1006, std::nullopt, 0},
        {"_descargas_/externos/Conta/qtract.kav", Canal::Normal, k1006, k1005, 0},
        {"_descargas_/externos/Conta/QTRBETA.KAV", Canal::Beta, k1006, std::nullopt, 0},
        // The differences from the installed release to this one, and from
        // another pair (then a plain program archive of the release).
        {"_descargas_/externos/Conta/QTRDIF_10.05_10.06.KAV", Canal::Normal, k1006, k1005, 0},
        {"_descargas_/externos/Conta/QTRDIF_10.04_10.06.KAV", Canal::Normal, k1006, std::nullopt, 0},
        {"_descargas_/externos/Conta/QTRBETA.INI", Canal::Beta, std::nullopt, std::nullopt, 0},
        {"_descargas_/externos/Conta/clientes/CLI4711.VER", Canal::Normal, std::nullopt, std::nullopt, 1000},
        {"_descargas_/externos/Conta/OTRO.KAV", Canal::Normal, k1006, std::nullopt, 0},  // a local INI's name
        {"_descargas_/externos/PSQL.KAV", Canal::Normal, std::nullopt, std::nullopt, 0},
        {"_descargas_/externos/Nominas/QTR.KAV", Canal::Normal, std::nullopt, std::nullopt, 0},
    };
    const firma::TPolitica p = Conta();
    for (const Caso& c : casos) {
        const firma::TEsperado e = firma::Esperado(p, c.ruta);
        EXPECT_EQ(e.producto, "QTR") << c.ruta;
        EXPECT_EQ(e.ruta, c.ruta);
        EXPECT_EQ(e.nombre, std::string(c.ruta).substr(std::string(c.ruta).find_last_of('/') + 1));
        EXPECT_EQ(e.canal, c.canal) << c.ruta;
        EXPECT_EQ(e.version, c.version) << c.ruta;
        EXPECT_EQ(e.desde, c.desde) << c.ruta;
        EXPECT_EQ(e.fechaMinima, c.fechaMinima) << c.ruta;
    }
    // Before the release is known nothing binds a version; a product without
    // a V2 release has no V2 files.
    firma::TPolitica sinVersion = Conta();
    sinVersion.version.reset();
    EXPECT_EQ(firma::Esperado(sinVersion, "_descargas_/externos/Conta/QTR.KAV").version, std::nullopt);
    EXPECT_EQ(firma::Esperado(p, "_descargas_/externos/Conta/QTRV2.INI").canal, Canal::Normal);
    // An updater relaunched on the release its predecessor brought takes
    // the differences from the release before it, and only those.
    firma::TPolitica relanzado = Conta();
    relanzado.instalada = k1006;
    relanzado.relanzado = true;
    EXPECT_EQ(firma::Esperado(relanzado, "_descargas_/externos/Conta/QTRDIF_10.05_10.06.KAV").desde, k1005);
    EXPECT_EQ(firma::Esperado(relanzado, "_descargas_/externos/Conta/QTRDIF_10.06_10.06.KAV").desde, std::nullopt);
    relanzado.relanzado = false;
    EXPECT_EQ(firma::Esperado(relanzado, "_descargas_/externos/Conta/QTRDIF_10.05_10.06.KAV").desde, std::nullopt);
}

TEST(PoliticaFirmas, PathOfAUrl) {
    const std::pair<const char*, const char*> casos[] = {
        {"https://www.kavo.es/_descargas_/externos/Conta/QTR.KAV", "_descargas_/externos/Conta/QTR.KAV"},
        {"http://127.0.0.1:8080/a/b.kav?x=1", "a/b.kav"},
        {"https://www.kavo.es", ""},
        {"Conta/QTR.KAV", "Conta/QTR.KAV"},
    };
    for (const auto& [url, ruta] : casos) EXPECT_EQ(firma::RutaPublicada(url), ruta) << url;
}

// Only a release record moves the floor, and only forward; the newest
// statement of the run tells a possible freeze.
TEST(PoliticaFirmas, KeepsTheNewestRecordAndTellsAFreeze) {
    firma::TPolitica p = Conta();
    std::vector<int64_t> guardadas;
    p.guardarFechaMinima = [&](int64_t f) { guardadas.push_back(f); };
    auto aceptar = [&](const std::string& ruta, int64_t fecha) {
        firma::TDeclaracion d;
        d.ruta = ruta;
        d.fecha = fecha;
        firma::Aceptada(p, d);
    };
    const int64_t ahora = 1796116200, limite = firma::SegundosCongelacion();
    EXPECT_EQ(limite, 60 * 86400);
    EXPECT_FALSE(firma::PosibleCongelacion(p, ahora)) << "nothing accepted: an unsigned build";
    aceptar("_descargas_/externos/Conta/QTR.KAV", 5000);
    aceptar("_descargas_/externos/Conta/clientes/CLI4711.VER", 900);
    EXPECT_EQ(p.fechaMinima, 1000);
    aceptar("_descargas_/externos/Conta/clientes/CLI4711.VER", 3000);
    EXPECT_EQ(p.fechaMinima, 3000);
    EXPECT_EQ(guardadas, std::vector<int64_t>{3000});
    EXPECT_EQ(p.fechaMasNueva, 5000);

    p.fechaMasNueva = ahora - limite;
    EXPECT_FALSE(firma::PosibleCongelacion(p, ahora));
    p.fechaMasNueva = ahora - limite - 1;
    EXPECT_TRUE(firma::PosibleCongelacion(p, ahora));
}

}  // namespace
