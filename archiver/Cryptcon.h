// TCrypto: runs a 64-bit block cipher in ECB, CBC or CFB mode over a byte
// array or a file. The concrete cipher (TBlowFish) supplies the block
// operations and the key schedule.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kav {

enum class TSourceType { SourceFile, SourceByteArray, SourceString };
enum class TCipherMode { ECBMode, CBCMode, CFBMode };

class TCrypto {
public:
    static constexpr int kBufferSize = 4096;

    virtual ~TCrypto();  // overwrites the key text before releasing it
    TCrypto(const TCrypto&) = delete;
    TCrypto& operator=(const TCrypto&) = delete;

    // The key text's bytes (Windows-1252 of the UTF-8 text) are the key.
    void SetKey(const std::string& utf8);
    // Wipes the key and everything prepared from it.
    virtual void ForgetKey();
    void SetInputType(TSourceType t) { inputType_ = t; }
    TSourceType InputType() const { return inputType_; }
    void SetInputFilePath(const std::string& p) { inputFile_ = p; }
    void SetOutputFilePath(const std::string& p) { outputFile_ = p; }
    void SetInputString(const std::string& s) { inputString_ = s; }
    // At most kBufferSize; larger values are a caller's mistake and throw.
    void SetInputLength(uint16_t n);
    uint16_t InputLength() const { return inputLength_; }
    void SetCipherMode(TCipherMode m) { mode_ = m; }
    TCipherMode CipherMode() const { return mode_; }
    void SetIVector(const std::string& iv) { ivector_ = iv; }
    const std::string& IVector() const { return ivector_; }
    // SourceByteArray: the caller's memory (may be the same for in-place
    // work). ECB and CBC write InputLength rounded up to a multiple of the
    // block size: the output must have room for that.
    void SetInputPointer(const void* p) { input_ = static_cast<const uint8_t*>(p); }
    void SetOutputPointer(void* p) { output_ = static_cast<uint8_t*>(p); }

    // KeyReady false: prepare the key schedule (and the chaining register
    // for CBC/CFB) first; true: keep what the previous call left.
    void DecipherData(bool keyReady);
    void EncipherData(bool keyReady);
    // ECB decipherment of `size` bytes (a multiple of the block size) in
    // place, in one pass: no working buffer, no limit on the length. For a
    // caller that holds a whole block of an archive.
    void DecipherEcbInPlace(uint8_t* data, size_t size, bool keyReady);

protected:
    explicit TCrypto(int blockSize);

    virtual void EncipherBlock() = 0;  // work block in place
    virtual void DecipherBlock() = 0;
    virtual void PrepareKey() = 0;     // from Key()
    virtual void EncipherBuffer();     // working buffer -> output, by mode
    virtual void DecipherBuffer();
    // ECB over whole blocks in place; the default runs the work block one
    // block at a time, a cipher may do it in one tight loop.
    virtual void EncipherEcb(uint8_t* data, size_t size);
    virtual void DecipherEcb(uint8_t* data, size_t size);

    const std::string& Key() const { return key_; }  // Windows-1252 bytes
    uint8_t* WorkBlock() { return work_; }
    int BlockSize() const { return blockSize_; }

private:
    void Run(bool keyReady, bool encipher);
    void LoadChainingRegister();
    void ProcessFile(bool encipher);
    size_t PadToBlock();
    void CopyOut(size_t n);

    std::string key_;
    TSourceType inputType_ = TSourceType::SourceFile;
    std::string inputFile_, outputFile_, inputString_, ivector_;
    uint16_t inputLength_ = 0;
    TCipherMode mode_ = TCipherMode::ECBMode;
    const uint8_t* input_ = nullptr;
    uint8_t* output_ = nullptr;
    uint8_t buffer_[kBufferSize + 1] = {};
    uint8_t work_[8] = {};
    uint8_t blockSize_;
    std::vector<uint8_t> register_;  // allocated on first CBC/CFB use
    bool toBuffer_ = false;          // file mode: results stay in the working buffer
};

// Overwrites a string's bytes with zeros (key material), then empties it.
void WipeString(std::string& s);

}  // namespace kav
