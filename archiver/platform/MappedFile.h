// A whole file mapped into memory for reading, writing denied to others
// while it is mapped: a large file read once is taken from the system's
// cache as it is, not copied into fresh memory. Movable, not copyable.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace kav::os {

class MappedFile {
public:
    MappedFile() = default;
    ~MappedFile() { Close(); }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    MappedFile(MappedFile&& o) noexcept
        : handle_(std::exchange(o.handle_, -1)), view_(std::exchange(o.view_, nullptr)),
          size_(std::exchange(o.size_, 0)) {}
    MappedFile& operator=(MappedFile&& o) noexcept {
        if (this != &o) {
            Close();
            handle_ = std::exchange(o.handle_, -1);
            view_ = std::exchange(o.view_, nullptr);
            size_ = std::exchange(o.size_, 0);
        }
        return *this;
    }

    // False when the file cannot be opened or mapped, or is larger than
    // `maximum` bytes. An empty file maps to no bytes (no system maps one).
    bool Open(const std::string& path, uint64_t maximum) {
        Close();
        const int64_t size = OpenFile(path);
        if (size < 0 || static_cast<uint64_t>(size) > maximum || static_cast<uint64_t>(size) > SIZE_MAX ||
            (size > 0 && !Map(static_cast<size_t>(size)))) {
            Close();
            return false;
        }
        return true;
    }
    void Close();
    const char* Data() const { return static_cast<const char*>(view_); }
    size_t Size() const { return size_; }

private:
    // Each system's side: the file opened for reading, writing denied, into
    // handle_, and its size (-1 when it cannot be opened); then the whole of
    // it into view_ and size_.
    int64_t OpenFile(const std::string& path);
    bool Map(size_t size);

    intptr_t handle_ = -1;
    void* view_ = nullptr;
    size_t size_ = 0;
};

}  // namespace kav::os
