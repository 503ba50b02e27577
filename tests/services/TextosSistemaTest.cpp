#include "TextosSistema.h"

#include <lmcons.h>

#include <gtest/gtest.h>

#include "TextCodec.h"
#include "Win32Handle.h"

namespace {

TEST(AcortarRuta, FitsTheRealFontOfADeviceContext) {
    win::GdiHandle fuente(CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                                      L"Segoe UI"));
    win::MemoryDc dc(CreateCompatibleDC(nullptr));
    SelectObject(dc.get(), fuente.get());
    auto ancho = [&](const std::string& s) {
        const std::wstring w = text::Wide(s);
        SIZE t{};
        GetTextExtentPoint32W(dc.get(), w.c_str(), int(w.size()), &t);
        return int(t.cx);
    };
    const std::string ruta = "C:\\Kavo\\Conta\\Programa\\Módulos\\MODAMORTIZACIONES.BPL";
    const int completo = ancho(ruta);
    ASSERT_GT(completo, 100);

    EXPECT_EQ(AcortarRuta(ruta, dc.get(), completo), ruta);
    std::string anterior = ruta;
    for (int limite : {completo - 1, completo * 3 / 4, completo / 2}) {
        const std::string corta = AcortarRuta(ruta, dc.get(), limite);
        EXPECT_LE(ancho(corta), limite) << corta;
        EXPECT_NE(corta.find("...\\"), std::string::npos) << corta;
        EXPECT_LE(corta.size(), anterior.size());
        anterior = corta;
    }
    EXPECT_EQ(AcortarRuta(ruta, dc.get(), 1), "MODAMORTIZACIONES.BPL");
    // The font overload measures the same way.
    EXPECT_EQ(AcortarRuta(ruta, static_cast<HFONT>(fuente.get()), completo / 2),
              AcortarRuta(ruta, dc.get(), completo / 2));
}

TEST(ExpandirRuta, MakesLongTextsAbsolute) {
    wchar_t actual[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, actual);
    std::string cwd = text::Narrow(actual);
    if (cwd.back() != '\\') cwd += '\\';
    const struct {
        std::string ruta, esperado;
    } casos[] = {
        {"C:\\", "C:\\"},
        {"ab", "ab"},
        {"", ""},
        {"C:\\Kavo\\..\\Otra\\.\\Conta", "C:\\Otra\\Conta"},
        {"Datos\\Año", cwd + "Datos\\Año"},
    };
    for (const auto& c : casos) EXPECT_EQ(ExpandirRuta(c.ruta), c.esperado) << c.ruta;
}

TEST(NombreMes, UsesTheUsersLocale) {
    const struct {
        int mes;
        const char* nombre;
    } casos[] = {{0, ""}, {1, "enero"}, {6, "junio"}, {12, "diciembre"}, {13, ""}, {-1, ""}};
    for (const auto& c : casos) EXPECT_EQ(NombreMes(c.mes), c.nombre) << c.mes;
}

TEST(NombresDelSistema, UserInUpperCaseAndComputer) {
    wchar_t usuario[UNLEN + 1];
    DWORD n = UNLEN + 1;
    ASSERT_TRUE(GetUserNameW(usuario, &n));
    EXPECT_EQ(NombreUsuario(), Mayusculas(text::Narrow(usuario)));
    EXPECT_EQ(NombreUsuario(), Mayusculas(NombreUsuario()));
    EXPECT_FALSE(NombreEquipo().empty());
    EXPECT_EQ(Mayusculas("Año ñandú"), "AÑO ÑANDÚ");
}

}  // namespace
