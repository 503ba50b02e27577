// The module table of the accounting program: every file whose version the
// updater tracks, the code that selects its place in TypeVersionesConta, and
// the walk order 1..33 then 200..209. Portable.
#pragma once
#include <array>
#include <cstdint>
#include <string>

// One row. Group: 0 core package, 1 module package of the first group,
// 2 module package of the second group or unused slot, 3 executable or
// library. Siguiente: index of the next row of the walk, -1 after the last.
struct TypetBPLName {
    std::string Nombre;  // upper case, without folder
    uint8_t Codigo = 0;
    uint8_t Grupo = 0;
    int32_t Siguiente = 0;
};

// The file names are the product's data; the codes, groups and order are
// fixed by the versions record.
struct NombresModulos {
    std::array<const char*, 6> Nucleo;     // indices 1..6
    std::array<const char*, 23> Modulos;   // indices 11..33
    std::array<const char*, 10> Programas; // indices 200..209
};

// The accounting product's names (its own data file).
extern const NombresModulos kNombresModulosConta;

// The row of any index: indices outside the table give the filler rows the
// walk expects (34..99 empty group 2, 100..199 all zero, 210 on empty group 3).
TypetBPLName DatosModulo(unsigned indice);

// The code of the row whose name is exactly this one (case-sensitive), or
// kSinCodigoModulo.
inline constexpr int kSinCodigoModulo = -1;
int CodigoModulo(const std::string& nombre);
