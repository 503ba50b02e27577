#include "ToolExtractor.h"

#include <filesystem>
#include <limits>

#include "Exception.h"
#include "platform/Platform.h"

namespace kavtool {
namespace {

constexpr const char* kMissingSegment = "No se encuentra el segmento Nº: %d del archivo %s";
constexpr const char* kMissingLastSegment = "No se encuentra el último segmento del archivo %s";
constexpr const char* kKeyNeeded = "El archivo esta encriptado: indique la clave con --key CLAVE";

}  // namespace

ToolExtractor::ToolExtractor(const std::string& path, const std::string& key, int64_t offset)
    : path_(path), offset_(static_cast<int32_t>(offset)) {
    if (!kav::os::FileExists(path) || offset > std::numeric_limits<int32_t>::max())
        throw kav::EArchiver(kav::FormatText(kav::kMsgCannotOpenFile, {path}));
    SetFileName(path);
    ErrorAction = kav::eaAbort;  // no handler: the error itself ends the run
    Options -= kav::oShowBusyMessage;
    OnRequestCryptKey = [key](kav::TArchiverRoot&, std::string& k) {
        if (key.empty()) throw Exception(kKeyNeeded);
        k = key;
    };
    auto missing = [this](int32_t n) {
        return Exception(kav::FormatText(kMissingSegment, {std::to_string(n), path_}));
    };
    auto missingLast = [this] { return Exception(kav::FormatText(kMissingLastSegment, {path_})); };
    OnLocateSegment = [missing](kav::TCustomExtractor&, int32_t n, std::string&) { throw missing(n); };
    OnInsertDisk = [missing](kav::TCustomExtractor&, int32_t n, std::string&) { throw missing(n); };
    OnLocateLastSegment = [missingLast](kav::TCustomExtractor&, std::string&) { throw missingLast(); };
    OnInsertLastDisk = [missingLast](kav::TCustomExtractor&, std::string&) { throw missingLast(); };
}

void ToolExtractor::AdjustStartOffset(const std::string& fileName) {
    TExtractor::AdjustStartOffset(fileName);
    if (offset_ > 0) archiveOffset_ = fileName == path_ ? offset_ : 0;
}

std::string AbsoluteFolder(const std::string& folder) {
    const std::u8string in(folder.begin(), folder.end());
    const std::u8string out = std::filesystem::absolute(std::filesystem::path(in)).u8string();
    return std::string(out.begin(), out.end());
}

}  // namespace kavtool
