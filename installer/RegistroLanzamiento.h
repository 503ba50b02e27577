// The release record (`DatosArchivo`): the 128 bytes of user data in the
// header of the installer's own archive, written by the vendor's tooling for
// one customer. The one place that knows its layout, both ways: the
// installer reads it, the tests and tools that build an installer write it.
// Portable.
#pragma once
#include <array>
#include <cstdint>

#include "DatosControlador.h"

inline constexpr size_t kTamRegistroLanzamiento = 128;
using TDatosArchivo = std::array<uint8_t, kTamRegistroLanzamiento>;

struct RegistroLanzamiento {
    unsigned anio = 0, mes = 0, dia = 0;
    uint32_t codigoCliente = 0;
    unsigned major = 0, minor = 0;
    TTipoMotor tipoMotor = tmPsql12;
};

// Little-endian; every byte pattern gives a record (the engine from the
// length byte of its parameter text and the selector, nothing else).
RegistroLanzamiento InterpretarDatosArchivo(const TDatosArchivo& datos);
// The bytes as the vendor's tooling writes them: a Btrieve 6 release has an
// empty engine parameter text, the others the vendor's usual one.
TDatosArchivo CodificarDatosArchivo(const RegistroLanzamiento& registro);
