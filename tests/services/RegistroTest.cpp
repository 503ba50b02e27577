// The run's log: lines are appended to what earlier runs left, each on its
// own line with its time, in UTF-8, and a log that cannot be written never
// reaches the run.
#include "Registro.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

namespace {

std::string Leer(const std::string& ruta) {
    std::ifstream f(ruta, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

TEST(Registro, AnadeLineasConSuHoraALoQueHabia) {
    const std::string ruta = ::testing::TempDir() + "registro_anade.log";
    std::remove(ruta.c_str());
    {
        std::ofstream(ruta, std::ios::binary) << "de otra ejecución\r\n";
    }
    TRegistro r;
    r.FijarRuta(ruta);
    r.Anotar("Actualización de CONTA.EXE");
    r.Anotar("El Fichero C:\\A.DLL\r\n\r\nestá en Uso.\n\rFin");
    const std::string todo = Leer(ruta);
    const std::string hora = R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}  )";
    EXPECT_TRUE(std::regex_match(todo, std::regex("de otra ejecución\r\n" + hora + "Actualización de CONTA.EXE\r\n" +
                                                  hora + R"(El Fichero C:\\A\.DLL \| está en Uso\. \| Fin)" + "\r\n")))
        << todo;
}

TEST(Registro, RutaPredeterminadaYRedirigida) {
    TRegistro r;
    const std::string predeterminada = ::testing::TempDir() + "registro_predeterminado.log";
    r.FijarRutaPredeterminada([&] { return predeterminada; });
    EXPECT_EQ(r.Ruta(), predeterminada);
    r.FijarRuta("/otra/parte.log");
    EXPECT_EQ(r.Ruta(), "/otra/parte.log");
    r.FijarRuta("");
    EXPECT_EQ(r.Ruta(), predeterminada);
}

TEST(Registro, SinPoderEscribirNoFalla) {
    TRegistro r;
    r.FijarRuta(::testing::TempDir() + "no_existe_esta_carpeta/sub/registro.log");
    EXPECT_NO_THROW(r.Anotar("nada"));
    r.FijarRutaPredeterminada([]() -> std::string { throw std::runtime_error("sin carpeta temporal"); });
    r.FijarRuta("");
    EXPECT_NO_THROW(r.Anotar("nada"));
}

// A log written for years stays bounded: past its limit the file becomes the
// older one (replacing the one before) and a new one starts, so the last
// runs are always there, whole.
TEST(Registro, PasadoElLimiteEmpiezaOtroYGuardaUnoAnterior) {
    const std::string ruta = ::testing::TempDir() + "registro_limite.log";
    const std::string anterior = ::testing::TempDir() + "registro_limite.anterior.log";
    std::remove(ruta.c_str());
    std::remove(anterior.c_str());
    TRegistro r;
    r.FijarRuta(ruta);
    r.FijarLimite(100);
    // Each line takes 34 bytes: time and two blanks (25), "linea N", CRLF.
    for (int i = 0; i < 9; ++i) r.Anotar("linea " + std::to_string(i));
    // Lines 0-2 make 102 bytes: 3 starts a new file; 3-5 again, so 6
    // starts another and 0-2 are gone.
    const std::string actual = Leer(ruta), previo = Leer(anterior);
    EXPECT_EQ(actual.size(), 3u * 34) << actual;
    EXPECT_EQ(previo.size(), 3u * 34) << previo;
    for (int i = 0; i < 9; ++i) {
        const std::string l = "linea " + std::to_string(i) + "\r\n";
        EXPECT_EQ(actual.find(l) != std::string::npos, i >= 6) << i;
        EXPECT_EQ(previo.find(l) != std::string::npos, i >= 3 && i < 6) << i;
    }

    EXPECT_EQ(RutaRegistroAnterior("C:\\Kavo\\instalacion.log"), "C:\\Kavo\\instalacion.anterior.log");
    EXPECT_EQ(RutaRegistroAnterior("C:\\Mis.Datos\\registro"), "C:\\Mis.Datos\\registro.anterior");
}

}  // namespace
