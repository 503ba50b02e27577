// The product's extractor as the support tool runs it: nobody to answer a
// dialog, so every prompt fails with a message; the first error ends the
// run; the key, when given, is handed over whenever the engine asks for it
// (also for the inner entries of a solid archive); `offset` places the
// header inside the first file.
#pragma once
#include <cstdint>
#include <string>

#include "Extractor.h"

namespace kavtool {

class ToolExtractor : public kav::TExtractor {
public:
    // Throws the engine's "No puedo abrir" when `path` is not a file.
    ToolExtractor(const std::string& path, const std::string& key, int64_t offset = 0);
    void AdjustStartOffset(const std::string& fileName) override;

private:
    std::string path_;
    int32_t offset_;
};

// The folder as an absolute path (UTF-8): the engine reads a short relative
// name such as "ab" as a drive.
std::string AbsoluteFolder(const std::string& folder);

}  // namespace kavtool
