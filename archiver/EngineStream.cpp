#include "EngineStream.h"

#include <algorithm>
#include <cstring>

namespace kav {

namespace {
constexpr size_t kReadBuffer = 64 * 1024;
}

bool ArchiveFile::Open(const std::string& path, os::Share share) {
    Close();
    if (!file_.Open(path, os::Access::Read, share, os::Disposition::OpenExisting)) return false;
    size_ = file_.Size();
    return true;
}

void ArchiveFile::Close() {
    file_.Close();
    pos_ = size_ = 0;
    bufLen_ = 0;
}

size_t ArchiveFile::Read(void* buffer, size_t count) {
    if (!file_.IsOpen() || pos_ >= size_) return 0;
    count = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(count), size_ - pos_));
    char* out = static_cast<char*>(buffer);
    size_t done = 0;
    // Served from the buffer when the position lies inside it.
    if (pos_ >= bufStart_ && pos_ < bufStart_ + static_cast<int64_t>(bufLen_)) {
        size_t at = static_cast<size_t>(pos_ - bufStart_);
        size_t n = std::min(count, bufLen_ - at);
        std::memcpy(out, buf_.data() + at, n);
        done = n;
    }
    if (done < count) {
        int64_t from = pos_ + static_cast<int64_t>(done);
        size_t rest = count - done;
        if (rest >= kReadBuffer) {
            if (!file_.Seek(from)) return done;
            done += file_.Read(out + done, rest);
        } else {
            buf_.resize(kReadBuffer);
            bufStart_ = from;
            bufLen_ = file_.Seek(from) ? file_.Read(buf_.data(), kReadBuffer) : 0;
            size_t n = std::min(rest, bufLen_);
            std::memcpy(out + done, buf_.data(), n);
            done += n;
        }
    }
    pos_ += static_cast<int64_t>(done);
    return done;
}

size_t CheckedBufferSize(int64_t size) {
    if (size <= 0 || size > kMaxBlockSize + kMaxBlockSize / 100) RaiseDamaged();
    return static_cast<size_t>(size);
}

}  // namespace kav
