#include "Instalacion.h"

#include <gtest/gtest.h>

#include "Carpetas.h"
#include "Entorno.h"
#include "TextCodec.h"
#include "TextosSistema.h"

namespace {

using prueba::CarpetaPrueba;
using prueba::EscribirFichero;


TEST(DirectorioInstalacion, FollowsTheProductsDesktopShortcut) {
    CarpetaPrueba dir;
    const std::string escritorio = dir / "Escritorio\\";
    prueba::CrearCarpeta(escritorio);
    const std::string unidad = dir.Ruta().substr(0, 2);

    // No shortcut: the default base and the product's folder.
    TypeDirInstalacion d = DirectorioInstalacion("qtr", escritorio, "C:\\Kavo");
    EXPECT_EQ(d.Base, "C:\\Kavo");
    EXPECT_EQ(d.Producto, "Conta");

    // A shortcut to an installed program: the folders above its own.
    const std::string programa = dir / "Apps\\Contab\\Programa\\CONTA.EXE";
    prueba::CrearCarpeta(dir / "Apps\\Contab\\Programa");
    EscribirFichero(programa, "MZ");
    CrearAccesoDirecto(programa, "ContaKavo", escritorio, "");
    d = DirectorioInstalacion("QTR", escritorio, "C:\\Kavo");
    EXPECT_EQ(d.Base, dir / "Apps");
    EXPECT_EQ(d.Producto, "Contab");

    // The program is gone: the shortcut's drive and the maker's folder.
    DeleteFileW(text::Wide(programa).c_str());
    d = DirectorioInstalacion("QTR", escritorio, "D:\\Otra");
    EXPECT_EQ(d.Base, unidad + "\\Kavo");
    EXPECT_EQ(d.Producto, "Conta");

    // A code of no product: nothing but the default.
    d = DirectorioInstalacion("XYZ", escritorio, "C:\\Kavo");
    EXPECT_EQ(d.Base, "C:\\Kavo");
    EXPECT_EQ(d.Producto, "");
}

TEST(DirectorioInstalacion, TriesTheSecondShortcutName) {
    CarpetaPrueba dir;
    const std::string escritorio = dir / "Escritorio\\";
    prueba::CrearCarpeta(escritorio);
    const std::string programa = dir / "Kavo\\Factura\\Programa\\FACTURA.EXE";
    prueba::CrearCarpeta(dir / "Kavo\\Factura\\Programa");
    EscribirFichero(programa, "MZ");
    CrearAccesoDirecto(programa, "FacturacionKavo", escritorio, "");

    const TypeDirInstalacion d = DirectorioInstalacion("FAC", escritorio, "C:\\Kavo");
    EXPECT_EQ(d.Base, dir / "Kavo");
    EXPECT_EQ(d.Producto, "Factura");
}

TEST(ProductosKavo, SixProductsWithDistinctCodes) {
    ASSERT_EQ(kProductosKavo.size(), 6u);
    EXPECT_STREQ(kProductosKavo[0].Codigo, "QTR");
    EXPECT_STREQ(kProductosKavo[0].Carpeta, "Conta");
    EXPECT_STREQ(kProductosKavo[0].Acceso, "ContaKavo");
    for (size_t i = 0; i < kProductosKavo.size(); ++i)
        for (size_t j = i + 1; j < kProductosKavo.size(); ++j)
            EXPECT_STRNE(kProductosKavo[i].Codigo, kProductosKavo[j].Codigo);
}

TEST(FicheroIniConta, PrefersTheUsersOwnSettings) {
    CarpetaPrueba dir;
    prueba::CrearCarpeta(dir / "Conta\\Programa");
    const std::string base = dir.Ruta() + "\\";
    const std::string carpeta = Mayusculas(base + "Conta\\Programa\\");
    EXPECT_EQ(FicheroIniConta(base, "Conta\\Programa\\", "conta.ini"), carpeta + "CONTA.INI");
    EscribirFichero(base + "Conta\\Programa\\" + NombreUsuario() + ".ini", "");
    EXPECT_EQ(FicheroIniConta(base, "Conta\\Programa\\", "CONTA.INI"), carpeta + NombreUsuario() + ".INI");
}

TEST(LeerRutasConta, ReadsTheKeysOrBuildsTheDefaults) {
    const struct {
        const char* ini;  // nullptr: no settings file
        const char* subruta;
        TypePathFilesConta esperado;  // "@" stands for the base folder
    } casos[] = {
        {nullptr, "Conta\\Programa\\",
         {"@Conta\\Datos\\", "@Conta\\Datos\\Estructuras\\", "@Conta\\Datos\\Estructuras\\",
          "@Conta\\Datos\\Estructuras\\", "@Conta\\Datos\\Generador Informes\\"}},
        {"[PATH]\r\nPATHDATOS=X:\\Datos Kavo\r\nPATHGENERADOR=Y:\\Gen\\\r\n"
         "[DEPOSITOYLEGALIZACION]\r\nPAHTCONFIGDEPOSITO=Z:\\Dep\r\n",
         "Conta\\Programa\\",
         {"X:\\Datos Kavo\\", "X:\\Datos Kavo\\Estructuras\\", "X:\\Datos Kavo\\Estructuras\\", "Z:\\Dep\\",
          "Y:\\Gen\\"}},
        // Present but empty is not missing.
        {"[PATH]\r\nPATHDATOS=\r\nPATHBALANCES=\r\n", "Conta\\Programa\\",
         {"\\", "\\", "\\Estructuras\\", "\\Estructuras\\", "\\Generador Informes\\"}},
        // A sub-path of one folder is its own parent.
        {nullptr, "Programa\\",
         {"@Programa\\Datos\\", "@Programa\\Datos\\Estructuras\\", "@Programa\\Datos\\Estructuras\\",
          "@Programa\\Datos\\Estructuras\\", "@Programa\\Datos\\Generador Informes\\"}},
    };
    for (const auto& c : casos) {
        CarpetaPrueba dir;
        const std::string base = dir.Ruta() + "\\";
        prueba::CrearCarpeta(base + c.subruta);
        if (c.ini) EscribirFichero(base + c.subruta + "CONTA.INI", c.ini);
        const TypePathFilesConta r = LeerRutasConta(base, c.subruta, "CONTA.INI");
        auto conBase = [&](std::string s) { return s[0] == '@' ? base + s.substr(1) : s; };
        EXPECT_EQ(r.PATHDATOS, conBase(c.esperado.PATHDATOS)) << c.subruta;
        EXPECT_EQ(r.PATHBALANCES, conBase(c.esperado.PATHBALANCES));
        EXPECT_EQ(r.PATHESTRUCTURASMEMORIA, conBase(c.esperado.PATHESTRUCTURASMEMORIA));
        EXPECT_EQ(r.PAHTCONFIGDEPOSITO, conBase(c.esperado.PAHTCONFIGDEPOSITO));
        EXPECT_EQ(r.PATHGENERADOR, conBase(c.esperado.PATHGENERADOR));
    }
}

TEST(LeerRutasConta, ReadsTheUsersFileInsteadOfConta) {
    CarpetaPrueba dir;
    const std::string base = dir.Ruta() + "\\";
    prueba::CrearCarpeta(base + "Conta\\Programa");
    EscribirFichero(base + "Conta\\Programa\\CONTA.INI", "[PATH]\r\nPATHDATOS=C:\\General\r\n");
    EscribirFichero(base + "Conta\\Programa\\" + NombreUsuario() + ".INI", "[PATH]\r\nPATHDATOS=C:\\Mio\r\n");
    EXPECT_EQ(LeerRutasConta(base, "Conta\\Programa\\", "CONTA.INI").PATHDATOS, "C:\\Mio\\");
}

}  // namespace
