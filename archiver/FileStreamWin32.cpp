// The Win32 side of FileStream: wide names, read access, deny-write sharing.
#include <windows.h>

#include "Stream.h"
#include "TextCodec.h"
#include "Win32Error.h"
#include "Win32Handle.h"

namespace kav {

struct FileStream::Handle {
    win::FileHandle file;
};

std::unique_ptr<FileStream> FileStream::OpenRead(const std::string& path) {
    auto h = std::make_unique<Handle>();
    h->file.reset(::CreateFileW(text::Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h->file) win::RaiseLastOSError(path);
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(h->file.get(), &size)) win::RaiseLastOSError(path);
    std::unique_ptr<FileStream> s(new FileStream(std::move(h)));
    s->size_ = size.QuadPart;
    return s;
}

FileStream::FileStream(std::unique_ptr<Handle> h) : handle_(std::move(h)) {}
FileStream::~FileStream() = default;

size_t FileStream::ReadAt(int64_t position, void* buffer, size_t count) {
    LARGE_INTEGER at{};
    at.QuadPart = position;
    if (!::SetFilePointerEx(handle_->file.get(), at, nullptr, FILE_BEGIN)) win::RaiseLastOSError();
    const DWORD want = count > 0x40000000u ? 0x40000000u : static_cast<DWORD>(count);
    DWORD got = 0;
    if (!::ReadFile(handle_->file.get(), buffer, want, &got, nullptr)) win::RaiseLastOSError();
    return got;
}

}  // namespace kav
