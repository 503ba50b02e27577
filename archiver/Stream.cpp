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

// ---- FileStream

std::unique_ptr<FileStream> FileStream::OpenRead(const std::string& path) {
    auto s = std::make_unique<FileStream>();
    if (!s->Open(path)) throw EArchiver(FormatText(kMsgCannotOpenFile, {path}));
    return s;
}

bool FileStream::Open(const std::string& path, os::Share share) {
    Close();
    if (!file_.Open(path, os::Access::Read, share, os::Disposition::OpenExisting)) return false;
    size_ = file_.Size();
    return true;
}

bool FileStream::Open(const os::File& held) {
    Close();
    if (!file_.Duplicate(held)) return false;
    size_ = file_.Size();
    return true;
}

void FileStream::Open(std::string_view held) {
    Close();
    // An empty archive is still an open one.
    static constexpr char kNothing = 0;
    held_ = held.empty() ? &kNothing : held.data();
    size_ = static_cast<int64_t>(held.size());
}

void FileStream::Close() {
    file_.Close();
    held_ = nullptr;
    pos_ = size_ = 0;
    bufLen_ = 0;
}

size_t FileStream::Read(void* buffer, size_t count) {
    if (!IsOpen() || pos_ >= size_) return 0;
    count = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(count), size_ - pos_));
    auto* out = static_cast<uint8_t*>(buffer);
    if (held_) {
        std::memcpy(out, held_ + pos_, count);
        pos_ += static_cast<int64_t>(count);
        return count;
    }
    size_t done = 0;
    if (pos_ >= bufStart_ && pos_ < bufStart_ + static_cast<int64_t>(bufLen_)) {
        const size_t at = static_cast<size_t>(pos_ - bufStart_);
        done = std::min(count, bufLen_ - at);
        std::memcpy(out, buf_.data() + at, done);
    }
    if (done < count) {
        const int64_t from = pos_ + static_cast<int64_t>(done);
        const size_t rest = count - done;
        if (rest >= kBufferSize) {
            if (file_.Seek(from)) done += file_.Read(out + done, rest);
        } else {
            buf_.resize(kBufferSize);
            bufStart_ = from;
            bufLen_ = file_.Seek(from) ? file_.Read(buf_.data(), kBufferSize) : 0;
            const size_t n = std::min(rest, bufLen_);
            std::memcpy(out + done, buf_.data(), n);
            done += n;
        }
    }
    pos_ += static_cast<int64_t>(done);
    return done;
}

}  // namespace kav
