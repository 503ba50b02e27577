// Updates that move only what changed. The vendor publishes, beside the
// release archives, an archive of differences from one release to the next
// (named by NombreDiferencias): a KAV archive, signed like every release
// file, whose entries are
//
//   - the manifest, named kNombreManifiesto (kind 7: never written);
//   - one entry per changed file, stored under the file's name, kind, date
//     and attributes in the new release, whose data is a patch: one zstd
//     frame made with the file as the earlier release installed it as its
//     reference (zstd's patch mode), carrying the result's size;
//   - the release's new files, as they are.
//
// The manifest is text, one line per field, LF at the end of every line:
//
//     KAVO-DIFERENCIAS 1
//     desde 12.05
//     hasta 12.06
//     parche <size before> <BLAKE2b before, 128 hex> <size after> <BLAKE2b after> <stored name>
//     ...                  (one line per patched file, in any order)
//
// The updater rebuilds from it, without touching the installation, a plain
// archive holding every result and new file with the new release's entry
// fields (ConstruirArchivo); that archive then goes through the same
// per-entry rules, journal and backup as any downloaded archive. Portable.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ArchiverMisc.h"
#include "Exception.h"

namespace diferencias {

inline constexpr const char* kNombreManifiesto = "DIFERENCIAS.MANIFIESTO";
// The kind of the manifest's entry: one the installer never writes.
inline constexpr uint8_t kTipoManifiesto = 7;
// A file bigger than an entry can hold is not patched; a manifest with more
// lines than this is not one.
inline constexpr uint64_t kTamanoMaximo = 0x7fffffff;
inline constexpr size_t kMaximoParches = 100000;
// The patch's window: the reference and the result together must fit, and
// what the updater accepts is bounded (zstd's default decoding limit).
inline constexpr int kVentanaMaximaLog = 27;

// The differences cannot be used (the installation is not what they expect,
// or they are damaged): the update falls back to the whole archive.
class EDiferenciasInaplicables : public Exception {
public:
    using Exception::Exception;
};

struct TParche {
    std::string nombre;  // stored name, as the entry's
    uint64_t tamanoAntes = 0;
    std::string resumenAntes;  // raw BLAKE2b-512 bytes
    uint64_t tamanoDespues = 0;
    std::string resumenDespues;
    bool operator==(const TParche&) const = default;
};

struct TManifiesto {
    std::string desde, hasta;  // "12.05"
    std::vector<TParche> parches;
    bool operator==(const TManifiesto&) const = default;
};

// "QTR" 12.05 -> 12.06: "QTRDIF_12.05_12.06.KAV".
std::string NombreDiferencias(const std::string& producto, uint16_t mayorDesde, uint16_t menorDesde,
                              uint16_t mayorHasta, uint16_t menorHasta);

// The release the differences an update asks for start from (major << 16 |
// minor), none when it asks for none: the installed one when the update
// brings a later release. An updater its predecessor relaunched on the
// release that one has just brought asks for the differences from the
// release before it: they hold every file that changed, and an installed
// file that already is their result needs nothing, so the newer updater
// applies its rules to what the release changed without the whole archive.
std::optional<uint32_t> DesdeDiferencias(uint32_t instalada, uint32_t nueva, bool relanzado);

std::string TextoManifiesto(const TManifiesto& m);
// Raises EDiferenciasInaplicables on anything but the exact form above
// (a name twice, a size beyond kTamanoMaximo, bad hex, a missing field).
TManifiesto LeerManifiesto(std::string_view texto);

// The new file from the old one and its patch. Raises
// EDiferenciasInaplicables when the patch is not one whole frame that
// declares exactly `tamanoEsperado` bytes (at most kTamanoMaximo) within
// the accepted window, or does not decode to that size.
std::string AplicarParche(std::string_view anterior, std::string_view parche, uint64_t tamanoEsperado);
// The same into `resultado`, which holds `tamanoEsperado` bytes.
void AplicarParche(std::string_view anterior, std::string_view parche, char* resultado, uint64_t tamanoEsperado);
// Only the frame's form: one whole frame declaring `tamanoEsperado` within
// the accepted window, checked before anything is allocated for it.
void ComprobarParche(std::string_view parche, uint64_t tamanoEsperado);

// One entry of an archive with its data.
struct TEntradaLeida {
    kav::TFileEntry entrada;
    std::string datos;
};

// Reads every file entry of an archive with its data through the engine
// (every block checked), extracting into `carpetaTrabajo`, which is removed
// afterwards. Raises the engine's text when any of it is unsound.
std::vector<TEntradaLeida> LeerArchivo(const std::string& archivo, const std::string& carpetaTrabajo);

// An installed file's bytes as its reader holds them, until released: the
// file mapped into memory (a large program is read once, for its digest and
// as the patch's reference, and not copied into fresh memory for that), or
// a copy.
class TInstalado {
public:
    virtual ~TInstalado() = default;
    virtual std::string_view Bytes() const = 0;
};
// The file at `ruta` mapped, writing denied to others while it is held; null
// when it cannot be opened or is larger than any file a patch applies to.
std::unique_ptr<TInstalado> MapearInstalado(const std::string& ruta);
std::unique_ptr<TInstalado> InstaladoEnMemoria(std::string bytes);

// The installed copy of a patched file, by its stored name; null when it
// is missing.
using TLeerInstalado = std::function<std::unique_ptr<TInstalado>(const std::string& nombreGuardado)>;
// Whether the run would write an entry, under its name or its second one,
// by the rules it applies to every archive: only the files it replaces need
// be the ones the differences expect.
using TSeEscribe = std::function<bool(const kav::TFileEntry& entrada)>;

// The archive an update through the differences extracts: every patched
// file rebuilt from its installed copy and checked against the manifest,
// every new file as it came. An installed copy that already is the result
// (an earlier run brought it) is taken as it is; one that is neither what
// its patch expects nor the result, or is missing, is left out when the run
// would not write the entry anyway (named in `dejados`). Raises
// EDiferenciasInaplicables, naming the file, when the manifest is missing or
// damaged, an entry and the manifest disagree, a file the run would write
// is not byte for byte the one its patch expects, a patch is damaged, or a
// result is not the one the manifest names. Nothing is written. The entries
// come with it as the engine will read them back: the run needs not read
// the archive it has just made.
struct TArchivoReconstruido {
    std::string bytes;
    std::vector<kav::TFileEntry> entradas;
    std::vector<std::string> dejados;  // stored names
};
TArchivoReconstruido ConstruirArchivo(const std::vector<TEntradaLeida>& entradas, const TLeerInstalado& leerInstalado,
                                      const TSeEscribe& seEscribe);

}  // namespace diferencias
