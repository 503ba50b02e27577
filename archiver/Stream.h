// Byte streams the archive code reads from. Everything the format code takes
// from a file goes through ReadBuffer: exactly n bytes, or EReadError.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Platform.h"

namespace kav {

class Stream {
public:
    virtual ~Stream() = default;
    // Up to `count` bytes at the current position; fewer only at the end.
    virtual size_t Read(void* buffer, size_t count) = 0;
    // Absolute position; positions past the end are allowed (reads give 0).
    virtual void Seek(int64_t position) = 0;
    virtual int64_t Position() const = 0;
    virtual int64_t Size() const = 0;

    // Exactly `count` bytes, or EReadError.
    void ReadBuffer(void* buffer, size_t count);
    void Skip(int64_t count) { Seek(Position() + count); }
    // Bytes between the position and the end (0 past the end).
    int64_t Remaining() const;
};

// Reads from bytes held in memory (owned copy).
class MemoryStream : public Stream {
public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
    MemoryStream(const void* data, size_t size);

    size_t Read(void* buffer, size_t count) override;
    void Seek(int64_t position) override;
    int64_t Position() const override { return pos_; }
    int64_t Size() const override { return static_cast<int64_t>(bytes_.size()); }

private:
    std::vector<uint8_t> bytes_;
    int64_t pos_ = 0;
};

// The one buffered file stream: a read-only file opened through the
// engine's OS layer with the sharing the caller asks for. Entry records are
// read field by field, so small reads are served from a buffer; a read of a
// buffer's size or more goes straight to the file.
class FileStream : public Stream {
public:
    static constexpr size_t kBufferSize = 64 * 1024;

    FileStream() = default;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    // Opens (closing any file open before) or throws EArchiver
    // "No puedo abrir <path>".
    static std::unique_ptr<FileStream> OpenRead(const std::string& path);
    // False when the file cannot be opened.
    bool Open(const std::string& path, os::Share share = os::Share::DenyWrite);
    // Reads the file another holder keeps open (a duplicate of its handle).
    bool Open(const os::File& held);
    // Reads bytes another holder keeps in memory, as they are (not copied):
    // they must stay until Close.
    void Open(std::string_view held);
    void Close();
    bool IsOpen() const { return file_.IsOpen() || held_; }

    size_t Read(void* buffer, size_t count) override;
    void Seek(int64_t position) override { pos_ = position < 0 ? 0 : position; }
    int64_t Position() const override { return pos_; }
    int64_t Size() const override { return size_; }

private:
    os::File file_;
    const char* held_ = nullptr;  // bytes read from memory instead of file_
    int64_t pos_ = 0, size_ = 0;
    std::vector<uint8_t> buf_;
    int64_t bufStart_ = 0;  // file position of buf_[0]
    size_t bufLen_ = 0;
};

}  // namespace kav
