// Feeds arbitrary bytes to the versions record decoder (it reads files that
// come from outside), and checks that every record survives its own
// compression unchanged.
#include <cstdlib>
#include <cstring>

#include "Versiones.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t tamano) {
    const std::string_view entrada(reinterpret_cast<const char*>(datos), tamano);
    TypeVersionesConta registro;
    if (!DescomprimirVersiones(entrada, registro) && registro != TypeVersionesConta{}) std::abort();

    TypeVersionesConta original;
    std::memcpy(original.Bytes.data(), datos, tamano < original.Bytes.size() ? tamano : original.Bytes.size());
    TypeVersionesConta vuelta;
    if (!DescomprimirVersiones(ComprimirVersiones(original), vuelta) || vuelta != original) std::abort();
    return 0;
}
