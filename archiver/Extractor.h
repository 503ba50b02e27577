// TExtractor: the extractor with the two block transformations plugged in,
// inflate and Blowfish decipherment. It owns its cipher and its inflater.
#pragma once
#include <memory>

#include "CustExtractor.h"

namespace kav {

class TBlowFish;

class TExtractor : public TCustomExtractor {
public:
    TExtractor();
    ~TExtractor() override;
    std::string ClassName() const override { return "TExtractor"; }

    void InitCipher() override;
    void ForgetCryptKey() override;
    int32_t GetBufferSize() override;
    bool UncompressBlock(uint8_t* dest, int32_t& destSize, const uint8_t* src, int32_t srcSize) override;
    void DecryptBlock(uint8_t* dest, const uint8_t* src, int32_t& destSize, int32_t srcSize) override;

protected:
    const TBlowFish& Cipher() const { return *cipher_; }

private:
    std::unique_ptr<TBlowFish> cipher_;
    Inflater inflater_;
};

}  // namespace kav
