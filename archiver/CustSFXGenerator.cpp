#include "CustSFXGenerator.h"

#include <cstdlib>

#include "platform/Platform.h"

namespace kav {
namespace {

// The ten descriptive texts are read too, as every version reader does; only
// the last two matter here.
const std::vector<std::string> kVersionKeys{
    "CompanyName", "FileDescription", "FileVersion", "InternalName", "LegalCopyright", "LegalTrademarks",
    "OriginalFilename", "ProductName", "ProductVersion", "Comments", "SFXCodeSize", "TagInfoSize"};

int32_t DecimalOrZero(const std::string& s) {
    if (s.empty()) return 0;
    char* end = nullptr;
    long long v = std::strtoll(s.c_str(), &end, 10);
    if (*end != '\0' || v < INT32_MIN || v > INT32_MAX) return 0;
    return static_cast<int32_t>(v);
}

}  // namespace

void TCustomSFXGenerator::GetSizes(const std::string& fileName) {
    if (!os::FileExists(fileName)) {
        SFXCodeSize = DefaultSFXCodeSize();
        TagInfoSize = DefaultTagInfoSize();
        return;
    }
    SFXCodeSize = TagInfoSize = 0;
    for (const auto& [key, value] : os::VersionInfoTexts(fileName, kVersionKeys)) {
        if (key == "SFXCodeSize") SFXCodeSize = DecimalOrZero(value);
        if (key == "TagInfoSize") TagInfoSize = DecimalOrZero(value);
    }
}

}  // namespace kav
