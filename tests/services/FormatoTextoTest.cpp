#include "FormatoTexto.h"

#include <gtest/gtest.h>

namespace {

TEST(FormatoCeros, PadsButNeverShortens) {
    const struct {
        long long n;
        int ancho;
        const char* ceros;
        const char* fijo;
    } casos[] = {
        {7, 2, "07", "07"},     {123, 2, "123", "12"}, {5, 0, "5", ""},
        {0, 3, "000", "000"},   {12, 2, "12", "12"},   {-5, 4, "-005", "-005"},
        {2025, 6, "002025", "002025"},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(FormatoCeros(c.n, c.ancho), c.ceros) << c.n << " " << c.ancho;
        EXPECT_EQ(FormatoCerosFijo(c.n, c.ancho), c.fijo) << c.n << " " << c.ancho;
    }
}

TEST(QuitarBarraFinal, RemovesOnlyOneBackslash) {
    const struct {
        const char *ruta, *sin, *con;
    } casos[] = {
        {"C:\\Kavo\\", "C:\\Kavo", "C:\\Kavo\\"},
        {"C:\\Kavo", "C:\\Kavo", "C:\\Kavo\\"},
        {"C:\\Kavo\\\\", "C:\\Kavo\\", "C:\\Kavo\\\\"},
        {"", "", "\\"},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(QuitarBarraFinal(c.ruta), c.sin) << c.ruta;
        EXPECT_EQ(ConBarraFinal(c.ruta), c.con) << c.ruta;
    }
}

TEST(AcortarRuta, DropsLeadingFoldersThenTheDrive) {
    // One unit per character makes the steps visible.
    const MedidaTexto largo = [](std::string_view s) { return int(s.size()); };
    const struct {
        const char* ruta;
        int ancho;
        const char* esperado;
    } casos[] = {
        {"C:\\Kavo\\Conta\\Programa\\CONTA.EXE", 100, "C:\\Kavo\\Conta\\Programa\\CONTA.EXE"},
        {"C:\\Kavo\\Conta\\Programa\\CONTA.EXE", 31, "C:\\...\\Conta\\Programa\\CONTA.EXE"},
        {"C:\\Kavo\\Conta\\Programa\\CONTA.EXE", 25, "C:\\...\\Programa\\CONTA.EXE"},
        {"C:\\Kavo\\Conta\\Programa\\CONTA.EXE", 16, "C:\\...\\CONTA.EXE"},
        {"C:\\Kavo\\Conta\\Programa\\CONTA.EXE", 15, "...\\CONTA.EXE"},
        {"C:\\Kavo\\Conta\\Programa\\CONTA.EXE", 12, "CONTA.EXE"},
        {"C:\\Kavo\\Conta\\Programa\\CONTA.EXE", 3, "CONTA.EXE"},  // the name always stays
        {"Kavo\\Conta\\CONTA.EXE", 15, "...\\CONTA.EXE"},
        {"C:\\CONTA.EXE", 5, "CONTA.EXE"},  // a lone root folder goes whole
        {"\\\\SRV\\datos\\Conta\\F.TXT", 14, "\\...\\F.TXT"},
        {"", 0, ""},
    };
    for (const auto& c : casos) EXPECT_EQ(AcortarRuta(c.ruta, largo, c.ancho), c.esperado) << c.ruta << " " << c.ancho;
}

}  // namespace
