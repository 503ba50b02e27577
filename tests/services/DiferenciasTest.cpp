// The differences' reading: the manifest's one form, patches that must
// rebuild exactly the size they declare, and the rebuilt archive read back
// by the real engine with every entry field it carries.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "ArchiveBuilder.h"
#include "Differences.h"
#include "Diferencias.h"
#include "FirmaFicheros.h"
#include "StoredArchive.h"
#include "platform/MappedFile.h"

namespace {

using diferencias::EDiferenciasInaplicables;

diferencias::TManifiesto Manifiesto() {
    return {"12.05", "12.06",
            {{"Conta\\Programa\\CONTA.EXE", 10, firma::Resumen("a"), 12, firma::Resumen("b")},
             {"Conta\\Programa\\Con blancos.BPL", 0, firma::Resumen(""), 3, firma::Resumen("c")}}};
}

TEST(Manifiesto, SeLeeLoQueSeEscribeYNadaMas) {
    const std::string bueno = diferencias::TextoManifiesto(Manifiesto());
    EXPECT_EQ(diferencias::LeerManifiesto(bueno), Manifiesto());
    const std::string h(128, 'a');
    const std::string cabecera = "KAVO-DIFERENCIAS 1\ndesde 12.05\nhasta 12.06\n";
    struct Caso {
        std::string texto, por;
    };
    const Caso casos[] = {
        {"", "vacío"},
        {"KAVO-DIFERENCIAS 2\ndesde 12.05\nhasta 12.06\n", "otra versión de la forma"},
        {"KAVO-DIFERENCIAS 1\nhasta 12.06\ndesde 12.05\n", "campos en otro orden"},
        {"KAVO-DIFERENCIAS 1\ndesde 12\nhasta 12.06\n", "versión sin punto"},
        {cabecera + "parche 1 " + h + " 1 " + h + " A", "última línea sin salto"},
        {cabecera + "parche 01 " + h + " 1 " + h + " A\n", "cero a la izquierda"},
        {cabecera + "parche 2147483648 " + h + " 1 " + h + " A\n", "tamaño mayor que una entrada"},
        {cabecera + "parche 99999999999 " + h + " 1 " + h + " A\n", "demasiadas cifras"},
        {cabecera + "parche 1 " + std::string(128, 'A') + " 1 " + h + " A\n", "hexadecimal en mayúsculas"},
        {cabecera + "parche 1 " + h.substr(2) + " 1 " + h + " A\n", "resumen corto"},
        {cabecera + "parche 1 " + h + " 1 " + h + " \n", "sin nombre"},
        {cabecera + "parche 1 " + h + " 1 " + h + " A\tB\n", "nombre con tabulador"},
        {cabecera + "parche 1 " + h + " 1 " + h + " A\n" + "parche 1 " + h + " 1 " + h + " a\n", "nombre dos veces"},
        {cabecera + "nuevo 1 " + h + " A\n", "línea desconocida"},
        {cabecera + "parche  1 " + h + " 1 " + h + " A\n", "dos blancos"},
    };
    for (const Caso& c : casos) EXPECT_THROW(diferencias::LeerManifiesto(c.texto), EDiferenciasInaplicables) << c.por;
    // Every cut of a good manifest but at a line's end is refused.
    for (size_t n = 0; n < bueno.size(); ++n) {
        if (n > 0 && bueno[n - 1] == '\n' && n >= cabecera.size()) continue;
        EXPECT_THROW(diferencias::LeerManifiesto(bueno.substr(0, n)), EDiferenciasInaplicables) << n;
    }
}

TEST(Parche, ReconstruyeSoloLoQueDeclara) {
    const std::string antes = kavmake::MixedData(50000, 3);
    std::string despues = antes;
    despues.replace(100, 5, "otros");
    despues += "cola";
    const std::string parche = kavmake::MakePatch(antes, despues);
    EXPECT_LT(parche.size(), 200u) << "a few changed bytes make a small patch";
    EXPECT_EQ(diferencias::AplicarParche(antes, parche, despues.size()), despues);
    EXPECT_THROW(diferencias::AplicarParche(antes, parche, despues.size() + 1), EDiferenciasInaplicables);
    EXPECT_THROW(diferencias::AplicarParche(antes, parche + "x", despues.size()), EDiferenciasInaplicables);
    for (size_t n = 0; n < parche.size(); ++n)
        EXPECT_THROW(diferencias::AplicarParche(antes, parche.substr(0, n), despues.size()), EDiferenciasInaplicables)
            << n;
    // Against another reference the frame cannot rebuild its result: zstd
    // does not always notice, which is why every result's digest is checked.
    std::string otra = antes, resultado;
    otra[30000] ^= 1;
    try {
        resultado = diferencias::AplicarParche(otra, parche, despues.size());
    } catch (const EDiferenciasInaplicables&) {
    }
    EXPECT_TRUE(resultado != despues);
}

// The installed file as the patch reads it: mapped, an empty one too (the
// system maps no empty file), a missing one or one beyond the limit is none.
TEST(Instalado, SeMapeaEnteroOSeDiceQueFalta) {
    const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / "diferencias_instalado";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string grande = kavmake::MixedData(300001, 6);
    struct Caso {
        const char* nombre;
        std::optional<std::string> contenido;  // none: not written
        uint64_t maximo;
        bool mapeado;
    };
    const Caso casos[] = {
        {"CONTA.EXE", grande, diferencias::kTamanoMaximo, true},
        {"vacio.dll", std::string(), diferencias::kTamanoMaximo, true},
        {"falta.exe", std::nullopt, diferencias::kTamanoMaximo, false},
        {"justo.bin", std::string("abc"), 3, true},
        {"grande.bin", std::string("abcd"), 3, false},
    };
    for (const Caso& c : casos) {
        const std::string ruta = (dir / c.nombre).string();
        if (c.contenido) std::ofstream(dir / c.nombre, std::ios::binary) << *c.contenido;
        kav::os::MappedFile f;
        ASSERT_EQ(f.Open(ruta, c.maximo), c.mapeado) << c.nombre;
        if (!c.mapeado) continue;
        EXPECT_EQ(std::string_view(f.Data(), f.Size()), *c.contenido) << c.nombre;
        kav::os::MappedFile movido = std::move(f);
        EXPECT_EQ(f.Size(), 0u) << c.nombre;
        EXPECT_EQ(std::string_view(movido.Data(), movido.Size()), *c.contenido) << c.nombre;
    }
    EXPECT_EQ(diferencias::MapearInstalado((dir / "falta.exe").string()), nullptr);
    {
        const auto instalado = diferencias::MapearInstalado((dir / "CONTA.EXE").string());
        ASSERT_NE(instalado, nullptr);
        EXPECT_EQ(instalado->Bytes(), grande);
    }  // released: Windows deletes no mapped file
    std::filesystem::remove_all(dir);
}

TEST(ArchivoReconstruido, ElMotorLeeCadaCampo) {
    const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / "diferencias_archivo";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    kav::TFileEntry a;
    a.Name = "Conta\\Programa\\Ñandú.EXE";
    a.Date = 45000.25;
    a.Attr = 0x21;
    a.FileType = 5;
    a.AltName = "Otro\\Ñandú.EXE";
    a.AltFileType = 4;
    a.TagCount = 3;
    a.Tags = {1, 2, 3};
    a.Reserved1 = 7;
    kav::TFileEntry b;
    b.Name = "vacio.txt";
    b.FileType = 2;
    kav::TFileEntry c;
    c.Name = "justo.bin";
    const std::string grande = kavmake::MixedData(200000, 4);  // several blocks, the last one short
    const std::string justo = kavmake::MixedData(2 * kav::kStoredBlockSize, 5);  // blocks exactly full
    std::vector<kav::TFileEntry> escritas;
    const std::string bytes =
        kav::StoredArchive({{a, grande}, {b, ""}, {c, justo}}, kav::kStoredBlockSize, &escritas);
    const std::string ruta = (dir / "R.KAV").string();
    std::ofstream(ruta, std::ios::binary) << bytes;
    const auto leidas = diferencias::LeerArchivo(ruta, (dir / "trabajo").string());
    ASSERT_EQ(leidas.size(), 3u);
    EXPECT_EQ(leidas[2].datos, justo);
    const kav::TFileEntry& e = leidas[0].entrada;
    EXPECT_EQ(leidas[0].datos, grande);
    EXPECT_EQ(std::tie(e.Name, e.Date, e.Attr, e.FileType, e.AltName, e.AltFileType, e.TagCount, e.Reserved1),
              std::tie(a.Name, a.Date, a.Attr, a.FileType, a.AltName, a.AltFileType, a.TagCount, a.Reserved1));
    EXPECT_EQ(e.Tags, a.Tags);
    EXPECT_EQ(leidas[1].entrada.Name, "vacio.txt");
    EXPECT_EQ(leidas[1].datos, "");
    // The records the writer reports are the ones the engine reads: the run
    // plans the update from them without reading the archive again.
    const auto campos = [](const kav::TFileEntry& x) {
        return std::tie(x.Name, x.Date, x.Attr, x.Segment, x.Offset, x.PartOffset, x.FileFlags, x.Size, x.Reserved1,
                        x.Reserved2, x.PackedPartSize, x.FileType, x.AltName, x.AltFileType, x.TagCount, x.Tags);
    };
    ASSERT_EQ(escritas.size(), 3u);
    for (size_t i = 0; i < 3; ++i) EXPECT_TRUE(campos(escritas[i]) == campos(leidas[i].entrada)) << i;
    EXPECT_FALSE(std::filesystem::exists(dir / "trabajo")) << "the work folder goes";
    std::filesystem::remove_all(dir);
}

}  // namespace
