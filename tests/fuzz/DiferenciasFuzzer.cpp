// The differences' reading: the manifest, the patches' frames and the
// cross-checks of the rebuilt archive. No input crashes them or makes them
// allocate beyond what they declare; an accepted manifest is exactly the
// text the vendor's tool writes for what was read.
#include <cstdlib>
#include <string>

#include "Diferencias.h"
#include "FuzzDiferencias.h"

using namespace kav::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static const std::string referencia = Referencia();
    const auto modo = static_cast<ModoDiferencias>(data[0] % kModos);
    const std::string resto(reinterpret_cast<const char*>(data) + 1, size - 1);
    try {
        switch (modo) {
        case ModoDiferencias::Manifiesto: {
            const diferencias::TManifiesto m = diferencias::LeerManifiesto(resto);
            if (diferencias::TextoManifiesto(m) != resto) std::abort();
            break;
        }
        case ModoDiferencias::Parche: {
            if (resto.size() < 2) return 0;
            const uint64_t esperado = uint8_t(resto[0]) | uint64_t(uint8_t(resto[1])) << 8;
            const std::string r = diferencias::AplicarParche(referencia, resto.substr(2), esperado);
            if (r.size() != esperado) std::abort();
            break;
        }
        case ModoDiferencias::Archivo: {
            const size_t corte = resto.find('\0');
            if (corte == std::string::npos) return 0;
            kav::TFileEntry manifiesto, parche;
            manifiesto.Name = diferencias::kNombreManifiesto;
            parche.Name = kNombreParcheado;
            const std::vector<diferencias::TEntradaLeida> entradas = {{manifiesto, resto.substr(0, corte)},
                                                                     {parche, resto.substr(corte + 1)}};
            // The mode byte's next bit: whether the run would write the
            // patched file, so an installed copy that is not the expected
            // one is either a refusal or an entry left out.
            const bool seEscribe = (data[0] / kModos) % 2 == 0;
            const diferencias::TArchivoReconstruido r = diferencias::ConstruirArchivo(
                entradas, [&](const std::string&) { return diferencias::InstaladoEnMemoria(referencia); },
                [&](const kav::TFileEntry&) { return seEscribe; });
            if (r.entradas.size() + r.dejados.size() != 1) std::abort();
            break;
        }
        }
    } catch (const diferencias::EDiferenciasInaplicables&) {
    }
    return 0;
}
