// The differences' reading: the manifest, the patches' frames, the
// cross-checks of the rebuilt archive, and the engine reading an archive
// held in memory (the rebuilt one, and any bytes). No input crashes them or
// makes them allocate beyond what they declare; an accepted manifest is
// exactly the text the vendor's tool writes for what was read; the rebuilt
// archive reads back, from memory, as the entries it reports.
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "Diferencias.h"
#include "Exception.h"
#include "Extractor.h"
#include "FuzzDiferencias.h"

using namespace kav::fuzz;

namespace {

// The archive's entries as the engine tests it from memory (no file of its
// name exists); none when it refuses it.
std::optional<std::vector<kav::TFileEntry>> LeerDeMemoria(const std::string& bytes, kav::TErrorAction accion) {
    const std::string nombre = "memoria_sin_fichero.kav";
    kav::TExtractor e;
    e.UseHeldBytes(nombre, bytes);
    e.SetFileName(nombre);
    e.ErrorAction = accion;
    e.Options -= kav::oShowBusyMessage;
    std::vector<kav::TFileEntry> leidas;
    e.OnFileTested = [&](kav::TCustomExtractor&, const kav::TFileEntry& f) { leidas.push_back(f); };
    try {
        e.TestFiles();
    } catch (const Exception&) {
        return std::nullopt;
    }
    const bool bien = e.ResultCode() == 1;
    e.Close();
    if (!bien) return std::nullopt;
    return leidas;
}

}  // namespace

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
            const auto leidas = LeerDeMemoria(r.bytes, kav::eaAbort);
            if (!leidas || leidas->size() != r.entradas.size()) std::abort();
            for (size_t i = 0; i < leidas->size(); ++i)
                if ((*leidas)[i].Name != r.entradas[i].Name || (*leidas)[i].Size != r.entradas[i].Size ||
                    (*leidas)[i].Offset != r.entradas[i].Offset)
                    std::abort();
            break;
        }
        case ModoDiferencias::Memoria:
            LeerDeMemoria(resto, kav::eaContinue);  // on past damaged files: every skip path too
            break;
        }
    } catch (const diferencias::EDiferenciasInaplicables&) {
    }
    return 0;
}
