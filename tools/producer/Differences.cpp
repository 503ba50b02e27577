#include "Differences.h"

#include <zstd.h>

#include <map>
#include <memory>
#include <stdexcept>

#include "Diferencias.h"
#include "FirmaFicheros.h"

namespace kavmake {
namespace {

struct FreeCCtx {
    void operator()(ZSTD_CCtx* c) const { ZSTD_freeCCtx(c); }
};

bool KeepsItsPlace(uint8_t fileType) { return fileType < 14 && fileType != 9; }

void Check(size_t r) {
    if (ZSTD_isError(r)) throw std::runtime_error(std::string("kavmake: zstd: ") + ZSTD_getErrorName(r));
}

}  // namespace

std::string MakePatch(std::string_view anterior, std::string_view nuevo) {
    std::unique_ptr<ZSTD_CCtx, FreeCCtx> c(ZSTD_createCCtx());
    if (!c) throw std::runtime_error("kavmake: out of memory");
    // The window covers the reference and the result, so every match in
    // the earlier file stays reachable.
    int windowLog = 10;
    while ((uint64_t(1) << windowLog) < anterior.size() + nuevo.size() &&
           windowLog < diferencias::kVentanaMaximaLog)
        ++windowLog;
    Check(ZSTD_CCtx_setParameter(c.get(), ZSTD_c_compressionLevel, 19));
    Check(ZSTD_CCtx_setParameter(c.get(), ZSTD_c_windowLog, windowLog));
    Check(ZSTD_CCtx_setParameter(c.get(), ZSTD_c_enableLongDistanceMatching, 1));
    Check(ZSTD_CCtx_setParameter(c.get(), ZSTD_c_contentSizeFlag, 1));
    Check(ZSTD_CCtx_refPrefix(c.get(), anterior.data(), anterior.size()));
    std::string out(ZSTD_compressBound(nuevo.size()), '\0');
    const size_t n = ZSTD_compress2(c.get(), out.data(), out.size(), nuevo.data(), nuevo.size());
    Check(n);
    out.resize(n);
    return out;
}

ArchiveBuilder MakeDifferences(const ArchiveBuilder& anterior, const ArchiveBuilder& nueva, const std::string& desde,
                               const std::string& hasta) {
    std::map<std::string, std::string_view> antes;
    for (const AddedFile& f : anterior.Files()) antes[f.name] = f.content;
    diferencias::TManifiesto manifiesto{desde, hasta, {}};
    ArchiveBuilder delta(nueva.Options());
    std::vector<std::pair<AddedFile, std::string>> entradas;  // the file and its data in the delta
    for (const AddedFile& f : nueva.Files()) {
        const auto a = antes.find(f.name);
        if (a != antes.end() && a->second == f.content) continue;
        const bool cabe = a != antes.end() && a->second.size() + f.content.size() <=
                                                   (uint64_t(1) << diferencias::kVentanaMaximaLog);
        if (cabe && KeepsItsPlace(f.options.fileType)) {
            std::string parche = MakePatch(a->second, f.content);
            if (parche.size() < f.content.size()) {
                manifiesto.parches.push_back({f.name, a->second.size(), firma::Resumen(a->second),
                                              f.content.size(), firma::Resumen(f.content)});
                entradas.emplace_back(f, std::move(parche));
                continue;
            }
        }
        entradas.emplace_back(f, std::string(f.content));
    }
    FileOptions o;
    o.fileType = diferencias::kTipoManifiesto;
    o.date = DateFromCivil(2000, 1, 1);
    delta.AddFile(diferencias::kNombreManifiesto, diferencias::TextoManifiesto(manifiesto), o);
    for (const auto& [f, datos] : entradas) delta.AddFile(f.name, datos, f.options);
    return delta;
}

}  // namespace kavmake
