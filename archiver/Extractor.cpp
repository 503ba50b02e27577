#include "Extractor.h"

#include <cstring>

#include "BlockDecoder.h"
#include "Blowunit.h"

namespace kav {

TExtractor::TExtractor() { TExtractor::InitCipher(); }
TExtractor::~TExtractor() = default;

void TExtractor::InitCipher() {
    cipher_ = std::make_unique<TBlowFish>();
    cipher_->SetInputType(TSourceType::SourceByteArray);
    cipher_->SetCipherMode(TCipherMode::ECBMode);
}

void TExtractor::ForgetCryptKey() {
    TCustomExtractor::ForgetCryptKey();
    if (cipher_) cipher_->ForgetKey();
}

int32_t TExtractor::GetBufferSize() {
    const int32_t b = header_.BlockSize;
    return b > 0 && b <= kMaxBlockSize ? b + b / 100 : b;
}

bool TExtractor::UncompressBlock(uint8_t* dest, int32_t& destSize, const uint8_t* src, int32_t srcSize) {
    if (auto handler = OnUncompressBlock) return handler(*this, dest, destSize, src, srcSize);
    try {
        destSize = static_cast<int32_t>(inflater_.Inflate(dest, static_cast<size_t>(destSize), src,
                                                     static_cast<size_t>(srcSize)));
    } catch (const EArchiverUncompress&) {
        return false;
    }
    return true;
}

void TExtractor::DecryptBlock(uint8_t* dest, const uint8_t* src, int32_t& destSize, int32_t srcSize) {
    if (auto handler = OnDecryptBlock) {
        handler(*this, dest, src, destSize, srcSize);
        return;
    }
    if (dest != src) std::memmove(dest, src, static_cast<size_t>(srcSize));
    cipher_->SetKey(CryptKey);
    destSize = static_cast<int32_t>(DecipherStoredBlock(*cipher_, dest, static_cast<size_t>(srcSize)));
}

}  // namespace kav
