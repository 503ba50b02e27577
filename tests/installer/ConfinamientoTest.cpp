// Paths taken from files other users may write: one spelling for each place,
// and every spelling Windows would read as another place refused.
#include <gtest/gtest.h>

#include "Confinamiento.h"

namespace {

TEST(RutaCanonica, UnaGrafiaONinguna) {
    struct Caso {
        const char* ruta;
        const char* canonica;  // nullptr: refused
    };
    const Caso casos[] = {
        {"C:\\Kavo\\Conta\\Programa\\A.DLL", "C:\\Kavo\\Conta\\Programa\\A.DLL"},
        {"C:\\Kavo\\\\Conta\\.\\Programa\\", "C:\\Kavo\\Conta\\Programa"},
        {"C:/Kavo/Conta", "C:\\Kavo\\Conta"},
        {"\\\\srv\\datos\\Conta\\X.DAT", "\\\\srv\\datos\\Conta\\X.DAT"},
        {"C:\\Kavo\\Conta\\Programa\\..\\..\\..\\Windows\\x.dll", nullptr},
        {"Conta\\Programa\\A.DLL", nullptr},
        {"C:Kavo\\A.DLL", nullptr},
        {"\\Kavo\\A.DLL", nullptr},
        {"\\\\?\\C:\\Kavo\\A.DLL", nullptr},
        {"\\\\.\\pipe\\kavo", nullptr},
        {"\\\\srv", nullptr},
        {"C:\\Kavo\\A.DLL:flujo", nullptr},
        {"C:\\Kavo\\NUL\\A.DLL", nullptr},
        {"C:\\Kavo\\Conta.\\A.DLL", nullptr},
        {"C:\\Kavo\\Conta \\A.DLL", nullptr},
        {"C:\\Kavo\\COM1.txt", nullptr},
        {"", nullptr},
        {"C:\\", nullptr},
        {"\\\\srv\\datos\\", nullptr},
    };
    for (const Caso& c : casos) {
        const std::optional<std::string> r = RutaCanonica(c.ruta);
        if (c.canonica)
            EXPECT_EQ(r, std::optional<std::string>(c.canonica)) << c.ruta;
        else
            EXPECT_FALSE(r) << c.ruta << " -> " << r.value_or("");
    }
}

TEST(RutaCanonica, DentroDeUnaCarpeta) {
    EXPECT_TRUE(DentroDe("C:\\Kavo\\Conta\\Programa\\A.DLL", "C:\\Kavo\\Conta"));
    EXPECT_TRUE(DentroDe("c:\\kavo\\conta\\A.DLL", "C:\\Kavo\\Conta\\"));
    EXPECT_FALSE(DentroDe("C:\\Kavo\\Conta", "C:\\Kavo\\Conta")) << "the folder itself";
    EXPECT_FALSE(DentroDe("C:\\Kavo\\Contabilidad\\A.DLL", "C:\\Kavo\\Conta")) << "a longer sibling";
    EXPECT_FALSE(DentroDe("C:\\Windows\\A.DLL", "C:\\Kavo\\Conta"));
    EXPECT_EQ(CarpetasIntermedias("C:\\Kavo\\Conta\\", "C:\\Kavo\\Conta\\Programa\\Util\\A.DLL"),
              (std::vector<std::string>{"C:\\Kavo\\Conta", "C:\\Kavo\\Conta\\Programa", "C:\\Kavo\\Conta\\Programa\\Util"}));
}

}  // namespace
