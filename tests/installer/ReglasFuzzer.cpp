// Feeds the installer's readers of vendor-supplied data: the release record
// bytes, the customer lists and dates of the release descriptions, and the
// version label. Nothing may crash; a date read back must format and read
// again to the same day count.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "ReglasInstalador.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::array<uint8_t, 128> registro{};
    std::memcpy(registro.data(), data, size < registro.size() ? size : registro.size());
    RegistroLanzamiento r = InterpretarDatosArchivo(registro);
    if (r.tipoMotor > 2) __builtin_trap();
    TextoVersion(r.major, r.minor, true);

    const std::string texto(reinterpret_cast<const char*>(data), size);
    EnListaClientes(texto, r.codigoCliente);
    VersionInformada(texto);
    double f = LeerFechaHora(texto);
    if (f != 0) {
        double otra = LeerFechaHora(FormatoFechaHora(f));
        if (std::fabs(otra - f) > 1.0 / 86400) __builtin_trap();
    }
    return 0;
}
