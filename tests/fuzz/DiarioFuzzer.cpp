// Feeds what the updater reads from files other users may have written: a
// journal's lines and the paths and names in them. Nothing may crash; every
// record read writes back as the same record; a canonical path is its own
// canonical form, holds no ".." part, stream or device form, and a plain
// name joined to a folder stays inside it.
#include <cstdint>
#include <string>

#include "Confinamiento.h"
#include "Diario.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string texto(reinterpret_cast<const char*>(data), size);
    for (const TAsiento& a : LeerDiario(texto)) {
        const std::vector<TAsiento> otra = LeerDiario(LineaAsiento(a));
        if (otra.size() != 1 || !(otra[0] == a)) __builtin_trap();
    }
    if (const std::optional<std::string> c = RutaCanonica(texto)) {
        if (RutaCanonica(*c) != c) __builtin_trap();
        if (c->find("\\..\\") != std::string::npos || c->find(':', 2) != std::string::npos) __builtin_trap();
        if (c->size() >= 2 && c->back() == '\\') __builtin_trap();
    }
    if (NombreSimple(texto)) {
        const std::optional<std::string> dentro = RutaCanonica("C:\\Kavo\\" + texto);
        if (!dentro || *dentro != "C:\\Kavo\\" + texto || !DentroDe(*dentro, "C:\\Kavo")) __builtin_trap();
    }
    return 0;
}
