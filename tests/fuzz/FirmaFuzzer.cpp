// The signature file reader: no input crashes it, and whatever it accepts is
// exactly the text the signer writes for what it read. The check relies on
// that: it verifies the signature over the statement rebuilt from the fields.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FirmaFicheros.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string texto(reinterpret_cast<const char*>(data), size);
    firma::TFirmaLeida leida;
    try {
        leida = firma::LeerFirma(texto);
    } catch (const Exception&) {
        return 0;
    }
    if (firma::TextoDeclaracion(leida.declaracion) + "firma " + firma::Hex(leida.firma) + "\n" != texto) std::abort();
    return 0;
}
