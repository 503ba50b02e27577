// Win32 side of the engine's OS layer: wide calls, UTF-8 paths converted at
// this edge.
#include "platform/DateConvert.h"
#include "platform/MappedFile.h"
#include "platform/Platform.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "TextCodec.h"

namespace kav::os {
namespace {

HANDLE H(intptr_t h) { return reinterpret_cast<HANDLE>(h); }

double DateFromFileTime(const FILETIME& utc) {
    FILETIME local;
    SYSTEMTIME st;
    if (!::FileTimeToLocalFileTime(&utc, &local) || !::FileTimeToSystemTime(&local, &st)) return 0;
    return DateFromCivil(CivilTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond,
                                   st.wMilliseconds});
}

// Keeps the "no disk in drive" box away while a drive is probed.
class QuietErrors {
public:
    QuietErrors() : old_(::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {}
    ~QuietErrors() { ::SetErrorMode(old_); }

private:
    UINT old_;
};

}  // namespace

bool File::Open(const std::string& path, Access access, Share share, Disposition disposition) {
    Close();
    DWORD desired = access == Access::Read ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
    DWORD shareMode = share == Share::Compat      ? 0
                      : share == Share::DenyWrite ? FILE_SHARE_READ
                                                  : FILE_SHARE_READ | FILE_SHARE_WRITE;
    DWORD how = disposition == Disposition::CreateAlways ? CREATE_ALWAYS : OPEN_EXISTING;
    HANDLE h = ::CreateFileW(text::Wide(path).c_str(), desired, shareMode, nullptr, how, FILE_ATTRIBUTE_NORMAL,
                             nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    handle_ = reinterpret_cast<intptr_t>(h);
    return true;
}

bool File::Duplicate(const File& other) {
    Close();
    if (!other.IsOpen()) return false;
    HANDLE h = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), reinterpret_cast<HANDLE>(other.handle_), ::GetCurrentProcess(), &h,
                           0, FALSE, DUPLICATE_SAME_ACCESS))
        return false;
    handle_ = reinterpret_cast<intptr_t>(h);
    return true;
}

void File::Close() {
    if (handle_ != -1) ::CloseHandle(H(std::exchange(handle_, -1)));
}
bool File::IsOpen() const { return handle_ != -1; }

int64_t MappedFile::OpenFile(const std::string& path) {
    HANDLE h = ::CreateFileW(text::Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return -1;
    handle_ = reinterpret_cast<intptr_t>(h);
    LARGE_INTEGER size{};
    return ::GetFileSizeEx(h, &size) ? size.QuadPart : -1;
}

bool MappedFile::Map(size_t size) {
    // The view keeps the mapping alive once its handle is closed.
    HANDLE mapping = ::CreateFileMappingW(H(handle_), nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!mapping) return false;
    view_ = ::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    ::CloseHandle(mapping);
    if (!view_) return false;
    size_ = size;
    return true;
}

void MappedFile::Close() {
    if (view_) ::UnmapViewOfFile(std::exchange(view_, nullptr));
    size_ = 0;
    if (handle_ != -1) ::CloseHandle(H(std::exchange(handle_, -1)));
}

size_t File::Read(void* buffer, size_t n) {
    size_t done = 0;
    while (done < n) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(n - done, 1u << 30)), got = 0;
        if (!::ReadFile(H(handle_), static_cast<char*>(buffer) + done, chunk, &got, nullptr) || got == 0) break;
        done += got;
    }
    return done;
}

bool File::Write(const void* buffer, size_t n) {
    size_t done = 0;
    while (done < n) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(n - done, 1u << 30)), put = 0;
        if (!::WriteFile(H(handle_), static_cast<const char*>(buffer) + done, chunk, &put, nullptr) || put == 0)
            return false;
        done += put;
    }
    return true;
}

bool File::Seek(int64_t position) {
    LARGE_INTEGER to;
    to.QuadPart = position;
    return position >= 0 && ::SetFilePointerEx(H(handle_), to, nullptr, FILE_BEGIN);
}

int64_t File::Position() const {
    LARGE_INTEGER zero{}, at{};
    return ::SetFilePointerEx(H(handle_), zero, &at, FILE_CURRENT) ? at.QuadPart : -1;
}

int64_t File::Size() const {
    LARGE_INTEGER size{};
    return ::GetFileSizeEx(H(handle_), &size) ? size.QuadPart : 0;
}

bool File::SetDate(double date) {
    CivilTime c = CivilFromDate(date);
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(c.year);
    st.wMonth = static_cast<WORD>(c.month);
    st.wDay = static_cast<WORD>(c.day);
    st.wHour = static_cast<WORD>(c.hour);
    st.wMinute = static_cast<WORD>(c.minute);
    st.wSecond = static_cast<WORD>(c.second);
    FILETIME local, utc;
    return ::SystemTimeToFileTime(&st, &local) && ::LocalFileTimeToFileTime(&local, &utc) &&
           ::SetFileTime(H(handle_), nullptr, nullptr, &utc);
}

bool FileExists(const std::string& path) {
    DWORD a = ::GetFileAttributesW(text::Wide(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
    DWORD a = ::GetFileAttributesW(text::Wide(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeDirectory(const std::string& path) { return ::CreateDirectoryW(text::Wide(path).c_str(), nullptr); }
bool RemoveFile(const std::string& path) { return ::DeleteFileW(text::Wide(path).c_str()); }
bool RemoveEmptyDirectory(const std::string& path) { return ::RemoveDirectoryW(text::Wide(path).c_str()); }

int32_t FileAttributes(const std::string& path) {
    DWORD a = ::GetFileAttributesW(text::Wide(path).c_str());
    return a == INVALID_FILE_ATTRIBUTES ? -1 : static_cast<int32_t>(a);
}

bool SetAttributes(const std::string& path, int32_t attributes) {
    return ::SetFileAttributesW(text::Wide(path).c_str(), static_cast<DWORD>(attributes));
}

double FileDate(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(text::Wide(path).c_str(), GetFileExInfoStandard, &data)) return 0;
    return DateFromFileTime(data.ftLastWriteTime);
}

int64_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(text::Wide(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return 0;
    return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool IsRemovableDrive(const std::string& drive) {
    if (drive.size() != 2 || drive[1] != ':') return false;
    return ::GetDriveTypeW(text::Wide(drive + "\\").c_str()) == DRIVE_REMOVABLE;
}

bool DriveHasMedium(char letter) {
    QuietErrors quiet;
    wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', 0};
    ULARGE_INTEGER free;
    return ::GetDiskFreeSpaceExW(root, &free, nullptr, nullptr);
}

std::vector<std::string> FindFiles(const std::string& pattern) {
    std::vector<std::string> found;
    size_t cut = pattern.find_last_of("\\/");
    std::string dir = cut == std::string::npos ? std::string() : pattern.substr(0, cut + 1);
    WIN32_FIND_DATAW fd;
    HANDLE h = ::FindFirstFileW(text::Wide(pattern).c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return found;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) found.push_back(dir + text::Narrow(fd.cFileName));
    } while (::FindNextFileW(h, &fd));
    ::FindClose(h);
    return found;
}

std::string TempFolder() {
    wchar_t buffer[MAX_PATH + 1];
    DWORD n = ::GetTempPathW(MAX_PATH + 1, buffer);
    if (n == 0 || n > MAX_PATH) return "c:\\";
    std::string s = text::Narrow(std::wstring_view(buffer, n));
    if (s.back() != '\\') s += '\\';
    return s;
}

uint32_t TickCount() { return ::GetTickCount(); }

double Now() {
    SYSTEMTIME st;
    ::GetLocalTime(&st);
    return DateFromCivil(
        CivilTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds});
}

std::vector<std::pair<std::string, std::string>> VersionInfoTexts(const std::string& path,
                                                                  const std::vector<std::string>& keys) {
    std::vector<std::pair<std::string, std::string>> texts;
    std::wstring wpath = text::Wide(path);
    DWORD ignored = 0;
    DWORD size = ::GetFileVersionInfoSizeW(wpath.c_str(), &ignored);
    if (size == 0) return texts;
    std::vector<char> data(size);
    if (!::GetFileVersionInfoW(wpath.c_str(), 0, size, data.data())) return texts;
    WORD* translation = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                          &length) ||
        length < 4)
        return texts;
    wchar_t lang[9];
    std::swprintf(lang, 9, L"%04X%04X", translation[0], translation[1]);
    for (const std::string& key : keys) {
        std::wstring query = L"\\StringFileInfo\\" + std::wstring(lang) + L"\\" + text::Wide(key);
        wchar_t* value = nullptr;
        UINT chars = 0;
        if (::VerQueryValueW(data.data(), query.c_str(), reinterpret_cast<void**>(&value), &chars) && value)
            texts.emplace_back(key, text::Narrow(std::wstring_view(value, chars && !value[chars - 1] ? chars - 1 : chars)));
    }
    return texts;
}

}  // namespace kav::os
