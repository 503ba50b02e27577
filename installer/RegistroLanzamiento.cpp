#include "RegistroLanzamiento.h"

#include <cstring>

namespace {

// Where each field lies in the 128 bytes.
enum Desplazamiento : size_t {
    kAnio = 0,
    kMes = 2,
    kDia = 3,
    kCodigoCliente = 12,
    kMajor = 18,
    kMinor = 20,
    kParametroMotor = 26,  // a length byte, then up to 49 characters
    kSelectorMotor = 127,  // 0 PSQL 12, other Btrieve 12
};

// What the vendor's tooling writes as the engine parameter of PSQL and
// Btrieve 12 releases; only its length counts for the installer.
constexpr char kParametroHabitual[] = "W3BTRV7";

unsigned Leer16(const TDatosArchivo& d, size_t o) { return d[o] | (d[o + 1] << 8); }

void Escribir16(TDatosArchivo& d, size_t o, unsigned v) {
    d[o] = static_cast<uint8_t>(v);
    d[o + 1] = static_cast<uint8_t>(v >> 8);
}

}  // namespace

RegistroLanzamiento InterpretarDatosArchivo(const TDatosArchivo& d) {
    RegistroLanzamiento r;
    r.anio = Leer16(d, kAnio);
    r.mes = d[kMes];
    r.dia = d[kDia];
    for (size_t i = 0; i < 4; ++i) r.codigoCliente |= uint32_t(d[kCodigoCliente + i]) << (8 * i);
    r.major = Leer16(d, kMajor);
    r.minor = Leer16(d, kMinor);
    // An empty engine parameter text means the old Btrieve 6 engine.
    r.tipoMotor = d[kParametroMotor] == 0 ? tmBtrieve6 : d[kSelectorMotor] != 0 ? tmBtrieve12 : tmPsql12;
    return r;
}

TDatosArchivo CodificarDatosArchivo(const RegistroLanzamiento& r) {
    TDatosArchivo d{};
    Escribir16(d, kAnio, r.anio);
    d[kMes] = static_cast<uint8_t>(r.mes);
    d[kDia] = static_cast<uint8_t>(r.dia);
    for (size_t i = 0; i < 4; ++i) d[kCodigoCliente + i] = static_cast<uint8_t>(r.codigoCliente >> (8 * i));
    Escribir16(d, kMajor, r.major);
    Escribir16(d, kMinor, r.minor);
    if (r.tipoMotor != tmBtrieve6) {
        d[kParametroMotor] = sizeof kParametroHabitual - 1;
        std::memcpy(d.data() + kParametroMotor + 1, kParametroHabitual, sizeof kParametroHabitual - 1);
    }
    d[kSelectorMotor] = r.tipoMotor == tmBtrieve12 ? 1 : 0;
    return d;
}
