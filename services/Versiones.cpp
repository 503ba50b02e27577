#include "Versiones.h"

#include <zlib.h>

#include <stdexcept>

namespace {

// What a record file may hold: the record is 665 bytes; a little room for a
// producer that appends data, none for a decompression bomb.
constexpr size_t kMaxComprimido = 1 << 20;
constexpr uint64_t kMaxDescomprimido = 1 << 20;

uint16_t Leer16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
void Escribir16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

TypeVersion LeerVersion(const uint8_t* p) {
    return {Leer16(p), Leer16(p + 2), Leer16(p + 4), Leer16(p + 6)};
}
void EscribirVersion(uint8_t* p, const TypeVersion& v) {
    Escribir16(p, v.Build);
    Escribir16(p + 2, v.Release);
    Escribir16(p + 4, v.Minor);
    Escribir16(p + 6, v.Major);
}

bool EsSlot(int c) { return c >= TypeVersionesConta::kPrimerSlot && c <= TypeVersionesConta::kUltimoSlot; }
bool EsModulo(int c) {
    return c >= TypeVersionesConta::kPrimerModulo && c <= TypeVersionesConta::kUltimoModulo;
}
size_t OffsetSlot(int c) { return size_t(8 * c - 715); }
size_t OffsetModulo(int c) { return size_t(153 + 10 * c); }

}  // namespace

bool VersionMayor(const TypeVersion& a, const TypeVersion& b, bool estricto) {
    return estricto ? a.MayorMenor() > b.MayorMenor() : a.MayorMenor() >= b.MayorMenor();
}

uint16_t TypeVersionesConta::Anio() const { return Leer16(&Bytes[0]); }

uint32_t TypeVersionesConta::CodigoCliente() const {
    return uint32_t(Leer16(&Bytes[12])) | (uint32_t(Leer16(&Bytes[14])) << 16);
}

void TypeVersionesConta::FijarFecha(uint16_t anio, uint8_t mes, uint8_t dia) {
    Escribir16(&Bytes[0], anio);
    Bytes[2] = mes;
    Bytes[3] = dia;
}

void TypeVersionesConta::FijarCodigoCliente(uint32_t codigo) {
    Escribir16(&Bytes[12], uint16_t(codigo));
    Escribir16(&Bytes[14], uint16_t(codigo >> 16));
}

TypeVersion TypeVersionesConta::VersionFichero(int codigo) const {
    return EsSlot(codigo) ? LeerVersion(&Bytes[OffsetSlot(codigo)]) : TypeVersion{};
}

void TypeVersionesConta::FijarVersionFichero(int codigo, const TypeVersion& version) {
    if (!EsSlot(codigo)) throw std::out_of_range("código sin hueco de versión");
    EscribirVersion(&Bytes[OffsetSlot(codigo)], version);
}

TypeVersion TypeVersionesConta::VersionModulo(int codigo) const {
    return EsModulo(codigo) ? LeerVersion(&Bytes[OffsetModulo(codigo)]) : TypeVersion{};
}

uint8_t TypeVersionesConta::GrupoModulo(int codigo) const {
    return EsModulo(codigo) ? Bytes[OffsetModulo(codigo) + 8] : 0;
}

void TypeVersionesConta::FijarModulo(int codigo, const TypeVersion& version, uint8_t grupo) {
    if (!EsModulo(codigo)) throw std::out_of_range("código sin entrada de módulo");
    EscribirVersion(&Bytes[OffsetModulo(codigo)], version);
    Bytes[OffsetModulo(codigo) + 8] = grupo;
}

bool DescomprimirVersiones(std::string_view datos, TypeVersionesConta& registro) {
    registro = TypeVersionesConta{};
    if (datos.size() > kMaxComprimido) return false;

    z_stream z{};
    if (inflateInit(&z) != Z_OK) return false;  // zlib format only: header and Adler-32
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(datos.data()));
    z.avail_in = static_cast<uInt>(datos.size());

    // The record's bytes go straight into it; whatever follows is inflated into
    // a scratch buffer only to reach the end of the stream and its check.
    uint8_t resto[4096];
    int estado = Z_OK;
    while (estado == Z_OK) {
        const bool enRegistro = z.total_out < TypeVersionesConta::kTamano;
        if (enRegistro) {
            z.next_out = registro.Bytes.data() + z.total_out;
            z.avail_out = static_cast<uInt>(TypeVersionesConta::kTamano - z.total_out);
        } else {
            z.next_out = resto;
            z.avail_out = sizeof resto;
        }
        estado = inflate(&z, Z_NO_FLUSH);  // a truncated stream ends in Z_BUF_ERROR
        if (z.total_out > kMaxDescomprimido) break;
    }
    const bool completo = estado == Z_STREAM_END;
    inflateEnd(&z);
    if (!completo) registro = TypeVersionesConta{};
    return completo;
}

std::string ComprimirVersiones(const TypeVersionesConta& registro) {
    uLongf tamano = compressBound(TypeVersionesConta::kTamano);
    std::string salida(tamano, '\0');
    compress2(reinterpret_cast<Bytef*>(salida.data()), &tamano, registro.Bytes.data(),
              TypeVersionesConta::kTamano, Z_BEST_COMPRESSION);
    salida.resize(tamano);
    return salida;
}
