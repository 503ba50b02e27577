#include "Versiones.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

namespace {

TEST(VersionMayor, ComparesMajorAndMinorOnly) {
    struct Caso {
        TypeVersion a, b;
        bool estricto, esperado;
    };
    const TypeVersion v12_5_0_9{9, 0, 5, 12}, v12_5_3_0{0, 3, 5, 12}, v12_6{0, 0, 6, 12},
        v13_0{0, 0, 0, 13}, cero{};
    const Caso casos[] = {
        {v12_5_0_9, v12_5_3_0, true, false},  // release and build never count
        {v12_5_0_9, v12_5_3_0, false, true},
        {v12_6, v12_5_3_0, true, true},
        {v12_5_3_0, v12_6, false, false},
        {v13_0, v12_6, true, true},  // major before minor
        {cero, v12_6, true, false},
        {cero, v12_6, false, false},
        {cero, cero, true, false},
        {cero, cero, false, true},
        {cero, TypeVersion{7, 7, 0, 0}, false, true},  // zero major.minor, other fields ignored
    };
    for (const Caso& c : casos)
        EXPECT_EQ(VersionMayor(c.a, c.b, c.estricto), c.esperado)
            << c.a.Major << "." << c.a.Minor << " vs " << c.b.Major << "." << c.b.Minor
            << (c.estricto ? " strict" : "");
}

TEST(TypeVersionesConta, FieldsSitAtTheirOffsets) {
    TypeVersionesConta r;
    r.FijarFecha(0x07E9, 11, 28);
    r.FijarCodigoCliente(0x0A0B0C0D);
    r.FijarVersionFichero(98, {0x0201, 0x0403, 0x0605, 0x0807});
    r.FijarVersionFichero(108, {1, 2, 3, 4});
    r.FijarModulo(10, {5, 6, 7, 8}, 1);
    r.FijarModulo(50, {9, 10, 11, 12}, 2);
    const auto& b = r.Bytes;
    ASSERT_EQ(b.size(), 665u);
    EXPECT_EQ(b[0], 0xE9);
    EXPECT_EQ(b[1], 0x07);
    EXPECT_EQ(b[2], 11);
    EXPECT_EQ(b[3], 28);
    EXPECT_EQ((std::array<uint8_t, 4>{b[12], b[13], b[14], b[15]}), (std::array<uint8_t, 4>{0x0D, 0x0C, 0x0B, 0x0A}));
    // Slot of code 98 at 69: build, release, minor, major, little-endian.
    for (int i = 0; i < 8; ++i) EXPECT_EQ(b[69 + i], i + 1) << i;
    EXPECT_EQ(b[149], 1);  // code 108 at 8*108-715
    EXPECT_EQ(b[155], 4);
    EXPECT_EQ(b[253], 5);  // code 10 at 153+10*10
    EXPECT_EQ(b[253 + 8], 1);
    EXPECT_EQ(b[653], 9);  // code 50 at 653, its group at 661
    EXPECT_EQ(b[661], 2);
    EXPECT_EQ(b[662], 0);

    EXPECT_EQ(r.Anio(), 2025);
    EXPECT_EQ(r.CodigoCliente(), 0x0A0B0C0Du);
    EXPECT_EQ(r.VersionFichero(108), (TypeVersion{1, 2, 3, 4}));
    EXPECT_EQ(r.VersionModulo(50), (TypeVersion{9, 10, 11, 12}));
    EXPECT_EQ(r.GrupoModulo(50), 2);
    // Codes without a place read as zero and cannot be written.
    EXPECT_TRUE(r.VersionFichero(109).EsCero());
    EXPECT_TRUE(r.VersionModulo(51).EsCero());
    EXPECT_THROW(r.FijarVersionFichero(97, {}), std::out_of_range);
    EXPECT_THROW(r.FijarModulo(9, {}, 1), std::out_of_range);
}

TypeVersionesConta RegistroDePrueba() {
    TypeVersionesConta r;
    for (size_t i = 0; i < r.Bytes.size(); ++i) r.Bytes[i] = uint8_t(i * 7 + 3);
    return r;
}

std::string Zlib(const std::string& contenido) {
    uLongf n = compressBound(uLong(contenido.size()));
    std::string salida(n, '\0');
    compress(reinterpret_cast<Bytef*>(salida.data()), &n,
             reinterpret_cast<const Bytef*>(contenido.data()), uLong(contenido.size()));
    salida.resize(n);
    return salida;
}

TEST(DescomprimirVersiones, RoundTripsTheWholeRecord) {
    const TypeVersionesConta original = RegistroDePrueba();
    TypeVersionesConta leido;
    ASSERT_TRUE(DescomprimirVersiones(ComprimirVersiones(original), leido));
    EXPECT_EQ(leido, original);
}

TEST(DescomprimirVersiones, ShortContentLeavesTheRestZeroAndLongerIsCut) {
    TypeVersionesConta r;
    ASSERT_TRUE(DescomprimirVersiones(Zlib(std::string(100, '\x11')), r));
    EXPECT_EQ(r.Bytes[99], 0x11);
    EXPECT_EQ(r.Bytes[100], 0);
    EXPECT_EQ(r.Bytes[664], 0);

    ASSERT_TRUE(DescomprimirVersiones(Zlib(std::string(665, '\x22') + std::string(5000, '\x33')), r));
    EXPECT_EQ(r.Bytes[664], 0x22);
}

TEST(DescomprimirVersiones, RefusesWhatIsNotOneValidStream) {
    const std::string bueno = ComprimirVersiones(RegistroDePrueba());
    std::string otroAdler = bueno;
    otroAdler.back() ^= 1;
    std::string cabeceraMala = bueno;
    cabeceraMala[1] ^= 1;  // FCHECK no longer divides
    std::string raw = bueno.substr(2, bueno.size() - 6);  // deflate data without the zlib frame
    const struct {
        std::string datos;
        const char* porque;
    } casos[] = {
        {"", "empty file"},
        {"QTR versiones 12.05", "plain text"},
        {otroAdler, "wrong Adler-32"},
        {cabeceraMala, "bad header check"},
        {raw, "raw deflate without zlib header"},
        {std::string("\x1f\x8b\x08\x00", 4) + bueno, "gzip magic"},
    };
    for (const auto& c : casos) {
        TypeVersionesConta r = RegistroDePrueba();
        EXPECT_FALSE(DescomprimirVersiones(c.datos, r)) << c.porque;
        EXPECT_EQ(r, TypeVersionesConta{}) << c.porque;  // nothing half-read survives
    }
    // Every truncation of a valid stream is refused.
    for (size_t n = 0; n < bueno.size(); ++n) {
        TypeVersionesConta r;
        EXPECT_FALSE(DescomprimirVersiones(std::string_view(bueno).substr(0, n), r)) << n;
    }
}

TEST(DescomprimirVersiones, RefusesADecompressionBombQuickly) {
    // A few dozen KiB that inflate to 64 MiB: stopped at the cap, long
    // before the end.
    z_stream z{};
    ASSERT_EQ(deflateInit(&z, 9), Z_OK);
    std::string bomba(1 << 20, '\0');
    const std::string ceros(1 << 20, '\0');
    z.next_out = reinterpret_cast<Bytef*>(bomba.data());
    z.avail_out = uInt(bomba.size());
    for (int i = 0; i < 64; ++i) {
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(ceros.data()));
        z.avail_in = uInt(ceros.size());
        ASSERT_EQ(deflate(&z, i == 63 ? Z_FINISH : Z_NO_FLUSH), i == 63 ? Z_STREAM_END : Z_OK);
    }
    bomba.resize(z.total_out);
    deflateEnd(&z);

    TypeVersionesConta r;
    EXPECT_FALSE(DescomprimirVersiones(bomba, r));
}

}  // namespace
