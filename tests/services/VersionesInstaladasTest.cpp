#include "VersionesInstaladas.h"

#include <gtest/gtest.h>

#include "Entorno.h"
#include "Exception.h"
#include "TablaModulos.h"
#include "TextCodec.h"

namespace {

using prueba::CarpetaPrueba;

const TypeVersion kFija{9, 3, 5, 12};  // version_fija.exe: 12.5.3.9

void Copiar(const std::string& de, const std::string& a) {
    ASSERT_TRUE(CopyFileW(text::Wide(de).c_str(), text::Wide(a).c_str(), FALSE)) << a;
}

TEST(LeerVersionFichero, ReadsTheFixedFileVersion) {
    EXPECT_EQ(LeerVersionFichero(prueba::Fixture("version_fija.exe")), kFija);
    EXPECT_TRUE(LeerVersionFichero(prueba::Fixture("ayudante_servicios.exe")).EsCero());
    EXPECT_TRUE(LeerVersionFichero("C:\\no\\existe.exe").EsCero());
    try {
        LeerVersionFichero(prueba::Fixture("version_sin_raiz.exe"));
        ADD_FAILURE() << "a version resource without its fixed block was accepted";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Información de versión no disponible");
    }
}

TEST(LeerVersionesInstaladas, EmptyFolderGivesOnlyTheGroups) {
    CarpetaPrueba dir;
    const TypeVersionesConta r = LeerVersionesInstaladas(dir.Ruta(), "Actualizador.exe");
    TypeVersionesConta esperado;
    for (unsigned i = 11; i <= 33; ++i) {
        const TypetBPLName fila = DatosModulo(i);
        esperado.FijarModulo(fila.Codigo, {}, fila.Grupo);
    }
    EXPECT_EQ(r, esperado);
    for (int c = 10; c <= 32; ++c) EXPECT_TRUE(r.GrupoModulo(c) == 1 || r.GrupoModulo(c) == 2) << c;
}

TEST(LeerVersionesInstaladas, PutsEachFileInItsSlot) {
    CarpetaPrueba dir;
    const std::string fija = prueba::Fixture("version_fija.exe");
    Copiar(fija, dir / "Actualizador.exe");
    Copiar(fija, dir / "CONTA.EXE");
    Copiar(fija, dir / "EDITOR.EXE");
    Copiar(fija, dir / DatosModulo(4).Nombre);
    Copiar(fija, dir / DatosModulo(29).Nombre);  // code 17, first group

    const TypeVersionesConta r = LeerVersionesInstaladas(dir.Ruta() + "\\", "Actualizador.exe");
    for (int codigo : {98, 99, 100, 106}) EXPECT_EQ(r.VersionFichero(codigo), kFija) << codigo;
    for (int codigo : {101, 102, 103, 105, 108}) EXPECT_TRUE(r.VersionFichero(codigo).EsCero()) << codigo;
    EXPECT_EQ(r.VersionModulo(17), kFija);
    EXPECT_EQ(r.GrupoModulo(17), 1);
    EXPECT_TRUE(r.VersionModulo(16).EsCero());
    EXPECT_EQ(r.Anio(), 0);
    EXPECT_EQ(r.CodigoCliente(), 0u);
}

TEST(LeerVersionesComprimidas, ARecordRoundTripsThroughItsFile) {
    CarpetaPrueba dir;
    // A release's record as the vendor sends it: date, customer, versions,
    // module entries, and the producer's own reserved bytes.
    TypeVersionesConta release;
    release.FijarFecha(2025, 3, 14);
    release.FijarCodigoCliente(4321987);
    release.FijarVersionFichero(98, {1, 0, 6, 12});
    release.FijarVersionFichero(99, {77, 2, 6, 12});
    for (int c = 103; c <= 108; ++c) release.FijarVersionFichero(c, {0, 0, uint16_t(c - 100), 12});
    for (int c = 10; c <= 32; ++c) release.FijarModulo(c, {0, 1, 6, 12}, c % 2 ? 1 : 2);
    release.Bytes[4] = 0xAA;
    release.Bytes[663] = 0x55;
    const std::string ruta = dir / "QTR 4321987.ver";
    prueba::EscribirFichero(ruta, ComprimirVersiones(release));

    const TypeVersionesConta leido = LeerVersionesComprimidas(ruta);
    EXPECT_EQ(leido.Bytes, release.Bytes);
    EXPECT_EQ(leido.Dia(), 14);
    EXPECT_EQ(leido.CodigoCliente(), 4321987u);
}

TEST(LeerVersionesComprimidas, ReportsUnreadableFilesWithTheirPath) {
    CarpetaPrueba dir;
    const std::string texto = dir / "texto.ver", falta = dir / "falta.ver", retenido = dir / "retenido.ver";
    prueba::EscribirFichero(texto, "esto no es zlib");
    prueba::EscribirFichero(retenido, ComprimirVersiones({}));
    prueba::FicheroRetenido bloqueo(retenido);
    const struct {
        std::string ruta, principio;
    } casos[] = {
        {texto, "Error de descompresión\r\n"},
        {falta, ""},     // the system's text
        {retenido, ""},  // the system's text
    };
    for (const auto& c : casos) {
        try {
            LeerVersionesComprimidas(c.ruta);
            ADD_FAILURE() << c.ruta;
        } catch (const Exception& e) {
            const std::string m = e.what();
            EXPECT_EQ(m.substr(m.size() - c.ruta.size()), c.ruta) << m;
            EXPECT_EQ(m.rfind(c.principio, 0), 0u) << m;
            EXPECT_GT(m.size(), c.ruta.size() + 4) << m;
        }
    }
}

}  // namespace
