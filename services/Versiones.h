// Versions of the accounting program's files: the version quad of one file
// and the fixed 665-byte record that gathers the versions of all of them.
// Portable: no Windows headers, built in both trees.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// A file version as four unsigned 16-bit numbers, stored build, release,
// minor, major (8 bytes little-endian). All zeros: no version known.
struct TypeVersion {
    uint16_t Build = 0;
    uint16_t Release = 0;
    uint16_t Minor = 0;
    uint16_t Major = 0;

    // The pair that comparisons use: major * 65536 + minor.
    uint32_t MayorMenor() const { return (uint32_t(Major) << 16) | Minor; }
    bool EsCero() const { return Build == 0 && Release == 0 && Minor == 0 && Major == 0; }
    friend bool operator==(const TypeVersion&, const TypeVersion&) = default;
};

// Compares major.minor only; release and build never count.
// Strict: A > B; not strict: A >= B.
bool VersionMayor(const TypeVersion& a, const TypeVersion& b, bool estricto);

// The versions record, kept as its 665 bytes so that what is read from a file
// is exactly what is written back. Layout (little-endian, no padding):
//   0  year (u16)   2 month   3 day   4..11 reserved   12 customer code (u32)
//   16..68 reserved
//   69  eleven version slots for the codes 98..108, code c at 8*c - 715
//   157..252 reserved
//   253 module entries for the codes 10..50, code c at 153 + 10*c:
//       bytes 0..7 the version, byte 8 the group, byte 9 reserved
//   663..664 reserved
struct TypeVersionesConta {
    static constexpr size_t kTamano = 665;
    static constexpr int kPrimerSlot = 98, kUltimoSlot = 108;
    static constexpr int kPrimerModulo = 10, kUltimoModulo = 50;

    std::array<uint8_t, kTamano> Bytes{};

    uint16_t Anio() const;
    uint8_t Mes() const { return Bytes[2]; }
    uint8_t Dia() const { return Bytes[3]; }
    uint32_t CodigoCliente() const;
    void FijarFecha(uint16_t anio, uint8_t mes, uint8_t dia);
    void FijarCodigoCliente(uint32_t codigo);

    // Slots of the codes 98..108. Reading another code gives a zero version;
    // writing one throws std::out_of_range.
    TypeVersion VersionFichero(int codigo) const;
    void FijarVersionFichero(int codigo, const TypeVersion& version);

    // Module entries of the codes 10..50 (same rule for other codes).
    TypeVersion VersionModulo(int codigo) const;
    uint8_t GrupoModulo(int codigo) const;
    void FijarModulo(int codigo, const TypeVersion& version, uint8_t grupo);

    friend bool operator==(const TypeVersionesConta&, const TypeVersionesConta&) = default;
};

// Inflates a zlib stream (header and Adler-32 check) holding a versions
// record: the first 665 bytes of its content fill the record, a shorter
// content leaves the rest zero. The input is untrusted: the inflated size is
// capped, so a small stream that inflates to gigabytes is refused quickly and
// without memory growth. False when the data is not one complete, valid
// zlib stream within the caps.
bool DescomprimirVersiones(std::string_view datos, TypeVersionesConta& registro);

// The record as a zlib stream, the form a release's record file carries.
std::string ComprimirVersiones(const TypeVersionesConta& registro);
