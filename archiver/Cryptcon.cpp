#include "Cryptcon.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

#include "Exception.h"
#include "TextCodec.h"

namespace kav {

void WipeString(std::string& s) {
    volatile char* p = s.data();
    for (size_t i = 0; i < s.size(); ++i) p[i] = 0;
    s.clear();
}

TCrypto::TCrypto(int blockSize) : blockSize_(static_cast<uint8_t>(blockSize)) {}

TCrypto::~TCrypto() { WipeString(key_); }

void TCrypto::SetKey(const std::string& utf8) {
    WipeString(key_);
    std::string ansi = text::Utf8ToAnsi(utf8);
    key_ = ansi;
    WipeString(ansi);
}

void TCrypto::ForgetKey() { WipeString(key_); }

void TCrypto::SetInputLength(uint16_t n) {
    if (n > kBufferSize) throw std::length_error("TCrypto: InputLength above 4096");
    inputLength_ = n;
}

void TCrypto::DecipherData(bool keyReady) { Run(keyReady, false); }
void TCrypto::EncipherData(bool keyReady) { Run(keyReady, true); }

void TCrypto::DecipherEcbInPlace(uint8_t* data, size_t size, bool keyReady) {
    if (size % blockSize_ != 0) throw std::length_error("TCrypto: ECB length not a multiple of the block size");
    if (!keyReady) PrepareKey();
    DecipherEcb(data, size);
}

void TCrypto::Run(bool keyReady, bool encipher) {
    if (!keyReady) {
        PrepareKey();
        if (mode_ != TCipherMode::ECBMode) LoadChainingRegister();
    } else if (mode_ != TCipherMode::ECBMode && register_.empty()) {
        LoadChainingRegister();  // chaining asked for before any register was loaded
    }
    switch (inputType_) {
    case TSourceType::SourceByteArray:
        if (inputLength_ == 0) return;  // nothing to process (the modes need a byte)
        std::memcpy(buffer_, input_, inputLength_);
        toBuffer_ = false;
        encipher ? EncipherBuffer() : DecipherBuffer();
        break;
    case TSourceType::SourceFile:
        ProcessFile(encipher);
        break;
    case TSourceType::SourceString:
        break;  // carried only; nothing consumes it
    }
}

void TCrypto::LoadChainingRegister() {
    const size_t b = blockSize_;
    if (ivector_.empty()) {
        std::random_device rd;
        std::uniform_int_distribution<int> pick(33, 125);
        for (size_t i = 0; i < b; ++i) ivector_.push_back(static_cast<char>(pick(rd)));
    }
    register_.assign(b, 0);  // a short IVector leaves the rest zero
    std::memcpy(register_.data(), ivector_.data(), std::min(b, ivector_.size()));
}

size_t TCrypto::PadToBlock() {
    const size_t b = blockSize_;
    size_t n = inputLength_;
    const size_t padded = (n + b - 1) / b * b;
    std::memset(buffer_ + n, 0, padded - n);
    inputLength_ = static_cast<uint16_t>(padded);
    return padded;
}

void TCrypto::EncipherBuffer() {
    const size_t b = blockSize_;
    uint8_t* out = toBuffer_ ? buffer_ : output_;
    if (mode_ == TCipherMode::CFBMode) {
        for (size_t at = 0; at < inputLength_; at += b) {
            const size_t c = std::min(b, inputLength_ - at);
            std::memcpy(work_, register_.data(), b);
            EncipherBlock();
            for (size_t i = 0; i < c; ++i) out[at + i] = buffer_[at + i] ^ work_[i];
            // The register takes the cipher text of the chunk.
            std::memmove(register_.data(), register_.data() + c, b - c);
            std::memcpy(register_.data() + b - c, out + at, c);
        }
        return;
    }
    const size_t n = PadToBlock();
    if (mode_ == TCipherMode::ECBMode) {
        EncipherEcb(buffer_, n);
        if (out != buffer_) std::memcpy(out, buffer_, n);
        return;
    }
    for (size_t at = 0; at < n; at += b) {  // CBC
        std::memcpy(work_, buffer_ + at, b);
        for (size_t i = 0; i < b; ++i) work_[i] ^= register_[i];
        EncipherBlock();
        std::memcpy(register_.data(), work_, b);
        std::memcpy(out + at, work_, b);
    }
}

void TCrypto::DecipherBuffer() {
    const size_t b = blockSize_;
    uint8_t* out = toBuffer_ ? buffer_ : output_;
    if (mode_ == TCipherMode::CFBMode) {
        uint8_t cipher[256];
        for (size_t at = 0; at < inputLength_; at += b) {
            const size_t c = std::min(b, inputLength_ - at);
            std::memcpy(cipher, buffer_ + at, c);
            std::memcpy(work_, register_.data(), b);
            EncipherBlock();  // CFB runs the cipher forwards in both directions
            for (size_t i = 0; i < c; ++i) out[at + i] = cipher[i] ^ work_[i];
            std::memmove(register_.data(), register_.data() + c, b - c);
            std::memcpy(register_.data() + b - c, cipher, c);
        }
        return;
    }
    const size_t n = PadToBlock();
    if (mode_ == TCipherMode::ECBMode) {
        DecipherEcb(buffer_, n);
        if (out != buffer_) std::memcpy(out, buffer_, n);
        return;
    }
    uint8_t cipher[256];
    for (size_t at = 0; at < n; at += b) {  // CBC
        std::memcpy(work_, buffer_ + at, b);
        std::memcpy(cipher, work_, b);
        DecipherBlock();
        for (size_t i = 0; i < b; ++i) work_[i] ^= register_[i];
        std::memcpy(register_.data(), cipher, b);
        std::memcpy(out + at, work_, b);
    }
}

void TCrypto::EncipherEcb(uint8_t* data, size_t size) {
    for (size_t at = 0; at + blockSize_ <= size; at += blockSize_) {
        std::memcpy(work_, data + at, blockSize_);
        EncipherBlock();
        std::memcpy(data + at, work_, blockSize_);
    }
}

void TCrypto::DecipherEcb(uint8_t* data, size_t size) {
    for (size_t at = 0; at + blockSize_ <= size; at += blockSize_) {
        std::memcpy(work_, data + at, blockSize_);
        DecipherBlock();
        std::memcpy(data + at, work_, blockSize_);
    }
}

void TCrypto::ProcessFile(bool encipher) {
    const auto inPath = std::filesystem::path(std::u8string(inputFile_.begin(), inputFile_.end()));
    const auto outPath = std::filesystem::path(std::u8string(outputFile_.begin(), outputFile_.end()));
    std::ifstream in(inPath, std::ios::binary);
    if (!in) throw Exception("No puedo abrir " + inputFile_);
    std::ofstream out(outPath, std::ios::binary | std::ios::trunc);
    if (!out) throw Exception("No puedo crear el Archivo " + outputFile_);
    toBuffer_ = true;
    for (;;) {
        in.read(reinterpret_cast<char*>(buffer_), kBufferSize);
        const auto got = static_cast<size_t>(in.gcount());
        if (got == 0) break;
        inputLength_ = static_cast<uint16_t>(got);
        encipher ? EncipherBuffer() : DecipherBuffer();
        out.write(reinterpret_cast<const char*>(buffer_), inputLength_);
        if (!out) throw Exception("No puedo crear el Archivo " + outputFile_);
        if (got < static_cast<size_t>(kBufferSize)) break;
    }
    if (in.bad()) throw Exception("No puedo abrir " + inputFile_);
    toBuffer_ = false;
}

}  // namespace kav
