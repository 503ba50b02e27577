#include "Stream.h"

#include <algorithm>
#include <cstring>

#include "ArchiverMisc.h"

namespace kav {

void Stream::ReadBuffer(void* buffer, size_t count) {
    auto* p = static_cast<uint8_t*>(buffer);
    while (count > 0) {
        const size_t got = Read(p, count);
        if (got == 0) throw EReadError();
        p += got;
        count -= got;
    }
}

int64_t Stream::Remaining() const { return std::max<int64_t>(0, Size() - Position()); }

MemoryStream::MemoryStream(const void* data, size_t size)
    : bytes_(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size) {}

size_t MemoryStream::Read(void* buffer, size_t count) {
    if (pos_ >= Size()) return 0;
    const size_t n = std::min(count, static_cast<size_t>(Size() - pos_));
    if (n > 0) std::memcpy(buffer, bytes_.data() + pos_, n);
    pos_ += static_cast<int64_t>(n);
    return n;
}

void MemoryStream::Seek(int64_t position) { pos_ = std::max<int64_t>(0, position); }

// ---- FileStream: the buffering; the system calls live in the platform files.

namespace {
constexpr size_t kFileBufferSize = 4096;
}

size_t FileStream::Read(void* buffer, size_t count) {
    auto* out = static_cast<uint8_t*>(buffer);
    size_t done = 0;
    while (done < count && pos_ < size_) {
        if (pos_ >= bufStart_ && pos_ < bufStart_ + static_cast<int64_t>(bufLen_)) {
            const size_t at = static_cast<size_t>(pos_ - bufStart_);
            const size_t n = std::min(count - done, bufLen_ - at);
            std::memcpy(out + done, buf_.data() + at, n);
            done += n;
            pos_ += static_cast<int64_t>(n);
            continue;
        }
        if (count - done >= kFileBufferSize) {
            const size_t n = ReadAt(pos_, out + done, count - done);
            if (n == 0) break;
            done += n;
            pos_ += static_cast<int64_t>(n);
            continue;
        }
        buf_.resize(kFileBufferSize);
        bufStart_ = pos_;
        bufLen_ = ReadAt(pos_, buf_.data(), kFileBufferSize);
        if (bufLen_ == 0) break;
    }
    return done;
}

void FileStream::Seek(int64_t position) { pos_ = std::max<int64_t>(0, position); }

}  // namespace kav
