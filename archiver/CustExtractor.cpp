// TCustomExtractor's construction and its plain block transformations.
#include "CustExtractor.h"

#include <cstring>

#include "BlockPipeline.h"

namespace kav {

TCustomExtractor::TCustomExtractor() { ReplaceMessages(TCustomExtractor::CreateMessages()); }

TCustomExtractor::~TCustomExtractor() {
    // Closed here, while the solid archive's clean-up can still run.
    Set(stDestroying, true);
    nesting_ = 0;
    try {
        Close();
    } catch (...) {
    }
}

std::unique_ptr<TMessages> TCustomExtractor::CreateMessages() { return std::make_unique<TExtrMessages>(); }

void TCustomExtractor::StartOperation() {
    if (nesting_ == 0) overwriteAll_ = false;
    TArchiverRoot::StartOperation();
}

bool TCustomExtractor::UncompressBlock(uint8_t* dest, int32_t& destSize, const uint8_t* src, int32_t srcSize) {
    if (auto handler = OnUncompressBlock) return handler(*this, dest, destSize, src, srcSize);
    if (srcSize > destSize) return false;
    std::memcpy(dest, src, static_cast<size_t>(srcSize));
    destSize = srcSize;
    return true;
}

void TCustomExtractor::DecryptBlock(uint8_t* dest, const uint8_t* src, int32_t& destSize, int32_t srcSize) {
    if (auto handler = OnDecryptBlock) handler(*this, dest, src, destSize, srcSize);
}

}  // namespace kav
