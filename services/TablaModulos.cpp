#include "TablaModulos.h"

namespace {

constexpr unsigned kUltimoModulo = 33;
constexpr unsigned kPrimerPrograma = 200, kUltimoPrograma = 209;

// Codes of the module packages, indices 11..33: the codes 10..32, except that
// code 17 sits at index 29 (the order in which the modules were added).
uint8_t CodigoDeModulo(unsigned indice) {
    if (indice <= 17) return uint8_t(indice - 1);
    if (indice <= 28) return uint8_t(indice);
    if (indice == 29) return 17;
    return uint8_t(indice - 1);
}

bool EsPrimerGrupo(unsigned indice) {
    switch (indice) {
        case 11: case 13: case 14: case 15: case 16: case 18: case 19: case 29: return true;
        default: return false;
    }
}

}  // namespace

TypetBPLName DatosModulo(unsigned indice) {
    const NombresModulos& n = kNombresModulosConta;
    const int32_t siguiente = int32_t(indice) + 1;
    if (indice >= 1 && indice <= 6) return {n.Nucleo[indice - 1], uint8_t(indice + 102), 0, siguiente};
    if (indice >= 7 && indice <= 10) return {"", 0, 2, siguiente};
    if (indice >= 11 && indice <= kUltimoModulo)
        return {n.Modulos[indice - 11], CodigoDeModulo(indice), uint8_t(EsPrimerGrupo(indice) ? 1 : 2),
                indice == kUltimoModulo ? int32_t(kPrimerPrograma) : siguiente};
    if (indice >= 34 && indice <= 99) return {"", 0, 2, siguiente};
    if (indice >= kPrimerPrograma && indice <= kUltimoPrograma)
        return {n.Programas[indice - kPrimerPrograma], uint8_t(indice), 3,
                indice == kUltimoPrograma ? -1 : siguiente};
    if (indice > kUltimoPrograma) return {"", uint8_t(indice), 3, siguiente};
    return {};  // 0 and 100..199
}

int CodigoModulo(const std::string& nombre) {
    // An empty name would match an unused slot; no file has it.
    if (nombre.empty()) return -1;
    for (int32_t i = 1; i != -1;) {
        const TypetBPLName fila = DatosModulo(unsigned(i));
        if (fila.Nombre == nombre) return fila.Codigo;
        i = fila.Siguiente;
    }
    return -1;
}
