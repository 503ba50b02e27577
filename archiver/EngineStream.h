// The engine's archive file: a Stream over the OS layer's file, opened with
// the sharing mode the engine asks for, with a small read buffer because
// entry records are read field by field.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "ArchiverMisc.h"
#include "Stream.h"
#include "platform/Platform.h"

namespace kav {

class ArchiveFile : public Stream {
public:
    bool Open(const std::string& path, os::Share share);
    void Close();
    bool IsOpen() const { return file_.IsOpen(); }

    size_t Read(void* buffer, size_t count) override;
    void Seek(int64_t position) override { pos_ = position < 0 ? 0 : position; }
    int64_t Position() const override { return pos_; }
    int64_t Size() const override { return size_; }

private:
    os::File file_;
    int64_t pos_ = 0, size_ = 0;
    std::vector<uint8_t> buf_;
    int64_t bufStart_ = 0;
    size_t bufLen_ = 0;
};

// The buffer size a header asks for, refused as damaged when it is not a
// size the vendor's tooling writes.
size_t CheckedBufferSize(int64_t size);

}  // namespace kav
