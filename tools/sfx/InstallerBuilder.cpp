#include "InstallerBuilder.h"

#include "ArchiveFormat.h"
#include "Exception.h"
#include "Stream.h"
#include "platform/PeResources.h"

namespace kav::sfx {
namespace {

std::optional<pe::Location> SfxCodes(const std::vector<uint8_t>& program) {
    auto loc = pe::FindResource(program, pe::kRtRcData, "SFXCODES");
    if (!loc || loc->size < 4) return std::nullopt;
    return loc;
}

}  // namespace

std::optional<int32_t> ReadSfxCodes(const std::vector<uint8_t>& program) {
    auto loc = SfxCodes(program);
    if (!loc) return std::nullopt;
    const uint8_t* p = program.data() + loc->fileOffset;
    return static_cast<int32_t>(p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24);
}

Built BuildInstaller(const std::vector<uint8_t>& program, const std::vector<uint8_t>& archive) {
    auto loc = SfxCodes(program);
    if (!loc) throw Exception("El ejecutable no tiene el recurso SFXCODES de 4 bytes");
    auto security = pe::FindSecurityDirectory(program);
    if (!security) throw Exception("El ejecutable no es un programa de Windows valido");
    if (security->size != 0) throw Exception("El ejecutable ya esta firmado: el archivo se añade antes de firmar");
    // The program as built may end with a symbol table after its sections;
    // it stays part of the image. A program that already got an archive
    // carries its position in SFXCODES.
    if (ReadSfxCodes(program).value_or(0) != 0)
        throw Exception("El ejecutable ya lleva un archivo añadido");
    if (program.size() > INT32_MAX - archive.size()) throw Exception("El instalador seria demasiado grande");

    // The archive must be one a reader accepts at that position: a complete
    // single-segment archive.
    MemoryStream in(archive);
    TArchiveHeader header;
    ReadAndCheckHeader(in, header, "archivo");
    if (!(header.ArchiveFlags & kArchiveLastSegment) || header.Segment != 1)
        throw Exception("El archivo añadido debe ser de un solo segmento");
    if (static_cast<uint64_t>(header.EndOffset) > archive.size())
        throw Exception("El archivo añadido esta incompleto");

    Built out;
    out.sfxSize = static_cast<uint32_t>(program.size());
    out.bytes = program;
    uint8_t* value = out.bytes.data() + loc->fileOffset;
    for (int i = 0; i < 4; ++i) value[i] = static_cast<uint8_t>(out.sfxSize >> (8 * i));
    out.bytes.insert(out.bytes.end(), archive.begin(), archive.end());
    while (out.bytes.size() % 8) out.bytes.push_back(0);
    return out;
}

}  // namespace kav::sfx
