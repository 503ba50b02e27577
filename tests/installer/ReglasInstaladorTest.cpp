// The installer's rules that need no window: the release record, label
// texts, customer lists, report values, the dates of the beta check, the
// version step and the fade steps.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

#include "RegistroLanzamiento.h"
#include "ReglasInstalador.h"

namespace {

// The release record as the vendor's tooling writes it reads back whole, at
// the offsets the vendor's tooling uses (little-endian); the engine follows
// the length byte of its parameter text and the selector, whatever else the
// bytes hold.
TEST(RegistroLanzamiento, IdaYVueltaEnSuSitio) {
    for (TTipoMotor motor : {tmPsql12, tmBtrieve12, tmBtrieve6}) {
        const RegistroLanzamiento r{2026, 11, 20, 4000000000u, 10, 5, motor};
        const TDatosArchivo d = CodificarDatosArchivo(r);
        const RegistroLanzamiento l = InterpretarDatosArchivo(d);
        EXPECT_EQ(std::tie(l.anio, l.mes, l.dia, l.codigoCliente, l.major, l.minor, l.tipoMotor),
                  std::tie(r.anio, r.mes, r.dia, r.codigoCliente, r.major, r.minor, r.tipoMotor))
            << int(motor);
        EXPECT_EQ(std::vector<uint8_t>(d.begin(), d.begin() + 22),
                  (std::vector<uint8_t>{0xEA, 0x07, 11, 20, 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x28, 0x6B, 0xEE, 0, 0, 10,
                                        0, 5, 0}));
        EXPECT_EQ(d[26] == 0, motor == tmBtrieve6);
        EXPECT_EQ(d[127], motor == tmBtrieve12 ? 1 : 0);
    }
    struct Caso {
        uint8_t longitudParametro, selector;
        TTipoMotor tipoMotor;
    };
    for (const Caso& c : {Caso{7, 0, tmPsql12}, Caso{7, 1, tmBtrieve12}, Caso{7, 200, tmBtrieve12},
                          Caso{0, 1, tmBtrieve6}, Caso{0, 0, tmBtrieve6}}) {
        TDatosArchivo d = CodificarDatosArchivo({2026, 11, 20, 4711, 10, 5, tmPsql12});
        d[26] = c.longitudParametro;
        d[127] = c.selector;
        EXPECT_EQ(InterpretarDatosArchivo(d).tipoMotor, c.tipoMotor) << int(c.longitudParametro) << "/" << int(c.selector);
    }
    EXPECT_EQ(TextoVersion(10, 5, true), "Versión 10.05");
    EXPECT_EQ(TextoVersion(3, 123, true), "Versión 3.123");
    EXPECT_EQ(TextoVersion(0, 5, true), "");
    EXPECT_EQ(TextoVersion(0, 5, false), "Versión 0.05");
    EXPECT_EQ(TextoFecha(9, "octubre", 2026), "9 de octubre del 2026");
}

// A build that checks no signatures says so where the user and support look.
TEST(TextoVersionPropia, SinFirmasALaVista) {
    EXPECT_EQ(TextoVersionPropia(true, 1, 0, false), "Versión Actualizador 1.00");
    EXPECT_EQ(TextoVersionPropia(false, 1, 1, true), "Versión Instalador 1.01 sin firmas");
    EXPECT_NE(std::string(kLineaSinFirmas).find("sin firmas"), std::string::npos);
}

TEST(EnListaClientes, Tabla) {
    struct Caso {
        const char* lista;
        uint32_t codigo;
        bool esta;
    };
    for (const Caso& c : {Caso{"120;4711", 4711, true}, Caso{"120;4711", 47, false}, Caso{"4711", 4711, true},
                          Caso{";", 0, false}, Caso{"", 0, false}, Caso{"4711;", 4711, true},
                          Caso{" 4711;", 4711, false}, Caso{";;4711", 4711, true}, Caso{"04711", 4711, false},
                          Caso{"47110", 4711, false}})
        EXPECT_EQ(EnListaClientes(c.lista, c.codigo), c.esta) << c.lista << " / " << c.codigo;
}

TEST(VersionInformada, UltimaPalabraDeLaEtiqueta) {
    EXPECT_EQ(VersionInformada("Versión 10.05"), "10.05");
    EXPECT_EQ(VersionInformada("Versión 10.05 BETA"), "BETA");
    EXPECT_EQ(VersionInformada("Versión 10.05 V2"), "V2");
    EXPECT_EQ(VersionInformada("Versión 100.123"), "100.1");
    EXPECT_EQ(VersionInformada(""), "");
    EXPECT_EQ(VersionInformada("sinblancos"), "sinbl");
    EXPECT_EQ(RutaInformeInstalacion(4711, "10.05"), "/roldawindows/instalacion.php?codcli=4711&kavoversion=10.05");
    EXPECT_EQ(RutaInformeActualizacion("CLI1.VER", 7, "BETA"),
              "/roldawindows/actualizarolda.php?filename=CLI1.VER&codcli=7&kavoversion=BETA");
    auto s = SeccionesBeta(10, 5);
    EXPECT_EQ(s[0], "10.05");
    EXPECT_EQ(s[1], "1.05");
    s = SeccionesBeta(9, 12);
    EXPECT_EQ(s[0], "09.12");
    EXPECT_EQ(s[1], "9.12");
}

TEST(FechaHora, LeerYEscribir) {
    EXPECT_EQ(LeerFechaHora("0"), 0);
    EXPECT_EQ(LeerFechaHora(""), 0);
    EXPECT_EQ(LeerFechaHora("basura"), 0);
    EXPECT_EQ(LeerFechaHora("31/02/2026 10:00:00"), 0) << "no such day";
    EXPECT_DOUBLE_EQ(LeerFechaHora("30/12/1899"), 0);
    EXPECT_DOUBLE_EQ(LeerFechaHora("01/01/1900"), 2);
    EXPECT_DOUBLE_EQ(LeerFechaHora("01/12/2026 12:00:00"), LeerFechaHora("2026-12-01 12:00:00"));
    double f = LeerFechaHora("01/12/2026 10:30:15");
    EXPECT_EQ(FormatoFechaHora(f), "01/12/2026 10:30:15");
    EXPECT_LT(LeerFechaHora("01/12/2026 10:30:15"), LeerFechaHora("01/12/2026 10:30:16"));
    EXPECT_LT(LeerFechaHora("31/12/2025 23:59:59"), LeerFechaHora("01/01/2026"));
    EXPECT_EQ(FormatoFechaHora(0), "0");
}

TEST(Versiones, SiguienteSoloUnPasoMenor) {
    auto v = [](uint16_t major, uint16_t minor) {
        TypeVersion r;
        r.Major = major;
        r.Minor = minor;
        return r;
    };
    EXPECT_TRUE(EsVersionSiguiente(v(10, 6), v(10, 5)));
    EXPECT_FALSE(EsVersionSiguiente(v(11, 0), v(10, 99)));
    EXPECT_FALSE(EsVersionSiguiente(v(10, 5), v(10, 5)));
    EXPECT_FALSE(EsVersionSiguiente(v(10, 7), v(10, 5)));
}

// A newer updater replaces the running one only when its major.minor is
// strictly higher than its file's before the run; it is told the
// per-installation file first, so that it needs no recorded customer.
TEST(Relanzamiento, SoloMasNuevoYConElFicheroDeLaInstalacion) {
    auto v = [](uint16_t major, uint16_t minor, uint16_t build = 0) { return TypeVersion{build, 0, minor, major}; };
    struct Caso {
        TypeVersion nueva, previa;
        const char* fichero;
        const char* switches;
        std::optional<std::string> argumentos;
    };
    const Caso casos[] = {
        {v(1, 0), v(1, 0), "CLI4711.VER", "", std::nullopt},
        {v(1, 0, 9), v(1, 0), "CLI4711.VER", "", std::nullopt},  // the build never counts
        {v(1, 0), v(1, 1), "CLI4711.VER", "", std::nullopt},
        {v(1, 1), v(1, 0), "CLI4711.VER", "", "CLI4711.VER /ACT /YPOS20 /XPOS-10"},
        {v(2, 0), v(1, 99), "CLI4711.VER", " /VERYSILENT", "CLI4711.VER /ACT /YPOS20 /XPOS-10 /VERYSILENT"},
        {v(1, 1), v(0, 0), "", "", "/ACT /YPOS20 /XPOS-10"},  // nothing before: a new file
        {v(1, 1), v(1, 0), "MI CLIENTE.VER", "", "\"MI CLIENTE.VER\" /ACT /YPOS20 /XPOS-10"},
    };
    for (const Caso& c : casos)
        EXPECT_EQ(ArgumentosRelanzamiento(c.nueva, c.previa, c.fichero, -10, 20, c.switches), c.argumentos)
            << c.nueva.Major << "." << c.nueva.Minor << " " << c.previa.Major << "." << c.previa.Minor;
}

TEST(Fundido, SecuenciasDeEntradaYSalida) {
    std::vector<int> entrada{0};
    bool parar = false;
    while (!parar) entrada.push_back(SiguienteOpacidadEntrada(entrada.back(), parar));
    EXPECT_EQ(entrada, (std::vector<int>{0, 40, 80, 120, 160, 200, 240, 255}));
    EXPECT_EQ(SecuenciaSalida(), (std::vector<int>{255, 215, 175, 135, 95, 55, 15, 0}));
}

}  // namespace
