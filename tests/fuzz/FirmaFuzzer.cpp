// The signature file reader and the statement's check: no input crashes
// them; whatever the reader accepts is exactly the text the signer writes for
// what it read (the check verifies the signature over the statement rebuilt
// from the fields, so it relies on that); and the check, under a key that
// signed nothing here, refuses every input with a refusal and nothing else.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FirmaFicheros.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string texto(reinterpret_cast<const char*>(data), size);
    try {
        const firma::TFirmaLeida leida = firma::LeerFirma(texto);
        if (firma::TextoDeclaracion(leida.declaracion) + "firma " + firma::Hex(leida.firma) + "\n" != texto)
            std::abort();
    } catch (const Exception&) {
    }
    static const std::string clave(firma::kBytesClavePublica, '\x11');
    firma::TEsperado esperado;
    esperado.nombre = "QTR.KAV";
    esperado.producto = "QTR";
    esperado.ruta = "Conta/QTR.KAV";
    try {
        firma::ComprobarDeclaracion(texto, {clave}, esperado);
        std::abort();  // nothing here was signed under that key
    } catch (const firma::EFirmaRechazada&) {
    }
    return 0;
}
