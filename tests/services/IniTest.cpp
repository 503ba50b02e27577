#include "Ini.h"

#include <gtest/gtest.h>

#include "Entorno.h"
#include "Exception.h"
#include "Instalacion.h"
#include "TextosSistema.h"

namespace {

using prueba::CarpetaPrueba;
using prueba::EscribirFichero;

// A customer list of 4 KiB and more, as the vendor's beta description grows:
// cut to 4095 characters it would end in "...;47" out of "4711".
std::string ListaLarga() {
    std::string lista = "12;";
    while (lista.size() < 4093) lista += "1;";
    lista += "4711;";
    return lista;
}

TEST(Ini, ValuesComeBackWholeWhateverTheirLength) {
    CarpetaPrueba dir;
    const std::string ini = dir / "QTRBETA.INI";
    const std::string lista = ListaLarga();
    ASSERT_EQ(lista.substr(0, 4095).substr(4093), "47");
    const std::string enorme(70000, 'x');
    EscribirFichero(ini, "[10.05]\r\nSERIES=" + lista + "\r\n[GRANDE]\r\nV=" + enorme + "\r\n");
    EXPECT_EQ(LeerIniTexto(ini, "10.05", "SERIES", ""), lista);
    EXPECT_EQ(LeerIniTexto(ini, "GRANDE", "V", ""), enorme);
    // A default longer than any first buffer comes back whole too.
    EXPECT_EQ(LeerIniTexto(ini, "10.05", "FALTA", lista), lista);
}

TEST(Ini, MissingEmptyAndPresentAreTold) {
    CarpetaPrueba dir;
    const std::string ini = dir / "CONTA.INI";
    EscribirFichero(ini,
                    "[ACTUALIZACION]\r\nCOMPROBAR=2\r\nVACIA=\r\nTEXTO=  con blancos  \r\nNOES=abc\r\n"
                    "CERO=0\r\n[OTRA]\r\n");
    struct Caso {
        const char* fichero;
        const char* seccion;
        const char* clave;
        bool existe;
        const char* texto;  // with the default "d"
        int entero;         // with the default 7
    };
    const Caso casos[] = {
        {"CONTA.INI", "ACTUALIZACION", "COMPROBAR", true, "2", 2},
        {"CONTA.INI", "actualizacion", "comprobar", true, "2", 2},
        {"CONTA.INI", "ACTUALIZACION", "VACIA", true, "", 7},
        {"CONTA.INI", "ACTUALIZACION", "TEXTO", true, "con blancos", 0},
        {"CONTA.INI", "ACTUALIZACION", "NOES", true, "abc", 0},
        {"CONTA.INI", "ACTUALIZACION", "FALTA", false, "d", 7},
        {"CONTA.INI", "OTRA", "COMPROBAR", false, "d", 7},
        {"NOHAY.INI", "ACTUALIZACION", "COMPROBAR", false, "d", 7},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(std::string(c.fichero) + " " + c.seccion + "/" + c.clave);
        const std::string f = dir / c.fichero;
        EXPECT_EQ(ExisteClaveIni(f, c.seccion, c.clave), c.existe);
        EXPECT_EQ(LeerIniTexto(f, c.seccion, c.clave, "d"), c.texto);
        EXPECT_EQ(LeerIniEntero(f, c.seccion, c.clave, 7), c.entero);
    }
    EXPECT_TRUE(LeerIniBooleano(ini, "ACTUALIZACION", "COMPROBAR", false));
    EXPECT_FALSE(LeerIniBooleano(ini, "ACTUALIZACION", "CERO", true));
    EXPECT_TRUE(LeerIniBooleano(ini, "ACTUALIZACION", "FALTA", true));

    EXPECT_TRUE(ExisteSeccionIni(ini, "ACTUALIZACION"));
    EXPECT_FALSE(ExisteSeccionIni(ini, "OTRA")) << "a section without keys";
    EXPECT_FALSE(ExisteSeccionIni(ini, "NINGUNA"));
}

TEST(Ini, TheKeysOfASectionComeInFileOrder) {
    CarpetaPrueba dir;
    const std::string ini = dir / "MUCHAS.INI";
    std::string texto = "[S]\r\n";
    std::vector<std::string> esperadas;
    for (int i = 0; i < 400; ++i) {  // far more names than a first buffer holds
        esperadas.push_back("CLAVE_NUMERO_" + std::to_string(i));
        texto += esperadas.back() + "=" + std::to_string(i) + "\r\n";
    }
    EscribirFichero(ini, texto);
    EXPECT_EQ(ClavesSeccionIni(ini, "S"), esperadas);
    EXPECT_TRUE(ClavesSeccionIni(ini, "T").empty());
}

TEST(Ini, WritesAndKeepsTheOtherKeys) {
    CarpetaPrueba dir;
    const std::string ini = dir / "CONTA.INI";
    EscribirFichero(ini, "[PATH]\r\nPATHDATOS=C:\\Datos\\\r\n");
    EscribirIni(ini, "ACTUALIZACION", "ULTIMA_BETA", "01/12/2026 10:00:00");
    EscribirIni(ini, "ACTUALIZACION", "NOTA", "año €");
    EscribirIni(ini, "ACTUALIZACION", "ULTIMA_BETA", "0");
    EXPECT_EQ(LeerIniTexto(ini, "ACTUALIZACION", "ULTIMA_BETA", ""), "0");
    EXPECT_EQ(LeerIniTexto(ini, "ACTUALIZACION", "NOTA", ""), "año €");
    EXPECT_EQ(LeerIniTexto(ini, "PATH", "PATHDATOS", ""), "C:\\Datos\\");

    const std::string inalcanzable = dir / "no existe\\CONTA.INI";
    try {
        EscribirIni(inalcanzable, "ACTUALIZACION", "COMPROBAR", "0");
        ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
        EXPECT_NE(e.Message().find("\r\n\r\n" + inalcanzable), std::string::npos) << e.Message();
    }
}

// The installation writes the customer code where the updater, started in
// the program folder without arguments, reads it: the shared settings file,
// even when the installing user has an INI of their own there.
TEST(CodigoCliente, TheUpdaterReadsWhatTheInstallationRecorded) {
    CarpetaPrueba dir;
    const std::string programa = dir / "Conta\\Programa\\";
    prueba::CrearCarpeta(programa);
    EscribirFichero(programa + "CONTA.INI", "[PATH]\r\nPATHDATOS=C:\\Datos\\\r\n");
    EscribirFichero(programa + NombreUsuario() + ".INI", "[PATH]\r\n");
    EXPECT_EQ(LeerCodigoClienteRegistrado(programa, "CONTA.INI"), 0u);

    RegistrarCodigoCliente(programa, "CONTA.INI", 4711);
    EXPECT_EQ(LeerCodigoClienteRegistrado(programa, "CONTA.INI"), 4711u);
    EXPECT_EQ(LeerCodigoClienteRegistrado(dir / "Conta\\Programa", "CONTA.INI"), 4711u) << "no final backslash";
    EXPECT_EQ(LeerIniTexto(programa + "CONTA.INI", "ACTUALIZACION", "CODIGOCLIENTE", ""), "4711");
    EXPECT_EQ(LeerIniTexto(programa + "CONTA.INI", "PATH", "PATHDATOS", ""), "C:\\Datos\\");
    EXPECT_FALSE(ExisteClaveIni(programa + NombreUsuario() + ".INI", "ACTUALIZACION", "CODIGOCLIENTE"));

    RegistrarCodigoCliente(programa, "CONTA.INI", 4294967295u);
    EXPECT_EQ(LeerCodigoClienteRegistrado(programa, "CONTA.INI"), 4294967295u);

    // What is not a code reads as none, so that the updater says why.
    for (const char* valor : {"", "abc", "47a", "-5", "4294967296", "99999999999"}) {
        SCOPED_TRACE(valor);
        EscribirIni(programa + "CONTA.INI", "ACTUALIZACION", "CODIGOCLIENTE", valor);
        EXPECT_EQ(LeerCodigoClienteRegistrado(programa, "CONTA.INI"), 0u);
    }
    EXPECT_THROW(RegistrarCodigoCliente(dir / "no existe\\", "CONTA.INI", 1), Exception);
}

}  // namespace
