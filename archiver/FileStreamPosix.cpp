// The POSIX side of FileStream (native tools, tests, fuzzer, benchmark).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "Exception.h"
#include "Stream.h"

namespace kav {

struct FileStream::Handle {
    int fd = -1;
    ~Handle() {
        if (fd >= 0) ::close(fd);
    }
};

std::unique_ptr<FileStream> FileStream::OpenRead(const std::string& path) {
    auto h = std::make_unique<Handle>();
    h->fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    auto fail = [&](int code) { throw Exception(std::string(std::strerror(code)) + "\r\n\r\n" + path); };
    if (h->fd < 0) fail(errno);
    struct stat st {};
    if (::fstat(h->fd, &st) != 0) fail(errno);
    if (S_ISDIR(st.st_mode)) fail(EISDIR);
    std::unique_ptr<FileStream> s(new FileStream(std::move(h)));
    s->size_ = st.st_size;
    return s;
}

FileStream::FileStream(std::unique_ptr<Handle> h) : handle_(std::move(h)) {}
FileStream::~FileStream() = default;

size_t FileStream::ReadAt(int64_t position, void* buffer, size_t count) {
    for (;;) {
        const ssize_t n = ::pread(handle_->fd, buffer, count, static_cast<off_t>(position));
        if (n >= 0) return static_cast<size_t>(n);
        if (errno != EINTR) throw Exception(std::strerror(errno));
    }
}

}  // namespace kav
