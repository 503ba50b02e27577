// POSIX side of the engine's OS layer. Windows paths are mapped here:
// backslashes become slashes; a drive path "X:\dir" and a network path
// "\\server\share\dir" live under the folder named by KV_DRIVES_ROOT
// (as X/dir and UNC/server/share/dir). Without that setting such paths name
// nothing: they do not exist and cannot be created, so a stored absolute
// name can never reach the real root of this machine.
#include "platform/DateConvert.h"
#include "platform/MappedFile.h"
#include "platform/Platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <utility>

namespace kav::os {
namespace {

bool IsSep(char c) { return c == '\\' || c == '/'; }

std::string Slashes(std::string s) {
    for (char& c : s)
        if (c == '\\') c = '/';
    return s;
}

// The mapped path, or empty when the Windows path cannot be represented.
std::string Native(const std::string& path) {
    const char* root = std::getenv("KV_DRIVES_ROOT");
    if (path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':') {
        if (!root || !*root) return {};
        std::string rest = path.substr(2);
        return std::string(root) + "/" + static_cast<char>(std::toupper(static_cast<unsigned char>(path[0]))) +
               (rest.empty() || IsSep(rest[0]) ? "" : "/") + Slashes(rest);
    }
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        if (!root || !*root) return {};
        return std::string(root) + "/UNC/" + Slashes(path.substr(2));
    }
    return Slashes(path);
}

bool StatOf(const std::string& path, struct stat& st) {
    std::string n = Native(path);
    return !n.empty() && ::stat(n.c_str(), &st) == 0;
}

}  // namespace

bool File::Open(const std::string& path, Access access, Share, Disposition disposition) {
    Close();
    std::string n = Native(path);
    if (n.empty()) return false;
    int flags = access == Access::Read ? O_RDONLY : O_RDWR;
    if (disposition == Disposition::CreateAlways) flags |= O_CREAT | O_TRUNC;
    int fd = ::open(n.c_str(), flags | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return false;
    }
    handle_ = fd;
    return true;
}

bool File::Duplicate(const File& other) {
    Close();
    if (!other.IsOpen()) return false;
    const int fd = ::fcntl(static_cast<int>(other.handle_), F_DUPFD_CLOEXEC, 0);
    if (fd < 0) return false;
    handle_ = fd;
    return true;
}

void File::Close() {
    if (handle_ >= 0) ::close(static_cast<int>(std::exchange(handle_, -1)));
}
bool File::IsOpen() const { return handle_ >= 0; }

int64_t MappedFile::OpenFile(const std::string& path) {
    const std::string n = Native(path);
    if (n.empty()) return -1;
    const int fd = ::open(n.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    handle_ = fd;
    struct stat st;
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? st.st_size : -1;
}

bool MappedFile::Map(size_t size) {
    void* view = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, static_cast<int>(handle_), 0);
    if (view == MAP_FAILED) return false;
    view_ = view;
    size_ = size;
    return true;
}

void MappedFile::Close() {
    if (view_) ::munmap(std::exchange(view_, nullptr), size_);
    size_ = 0;
    if (handle_ >= 0) ::close(static_cast<int>(std::exchange(handle_, -1)));
}

size_t File::Read(void* buffer, size_t n) {
    size_t done = 0;
    while (done < n) {
        ssize_t r = ::read(static_cast<int>(handle_), static_cast<char*>(buffer) + done, n - done);
        if (r <= 0) break;
        done += static_cast<size_t>(r);
    }
    return done;
}

bool File::Write(const void* buffer, size_t n) {
    size_t done = 0;
    while (done < n) {
        ssize_t r = ::write(static_cast<int>(handle_), static_cast<const char*>(buffer) + done, n - done);
        if (r <= 0) return false;
        done += static_cast<size_t>(r);
    }
    return true;
}

bool File::Seek(int64_t position) {
    return position >= 0 && ::lseek(static_cast<int>(handle_), position, SEEK_SET) == position;
}
int64_t File::Position() const { return ::lseek(static_cast<int>(handle_), 0, SEEK_CUR); }
int64_t File::Size() const {
    struct stat st;
    return ::fstat(static_cast<int>(handle_), &st) == 0 ? st.st_size : 0;
}

bool File::SetDate(double date) {
    CivilTime c = CivilFromDate(date);
    struct tm t = {};
    t.tm_year = c.year - 1900;
    t.tm_mon = c.month - 1;
    t.tm_mday = c.day;
    t.tm_hour = c.hour;
    t.tm_min = c.minute;
    t.tm_sec = c.second;
    t.tm_isdst = -1;
    time_t secs = ::mktime(&t);
    if (secs == static_cast<time_t>(-1)) return false;
    struct timespec times[2];
    times[0].tv_sec = times[1].tv_sec = secs;
    times[0].tv_nsec = times[1].tv_nsec = 0;
    return ::futimens(static_cast<int>(handle_), times) == 0;
}

bool FileExists(const std::string& path) {
    struct stat st;
    return StatOf(path, st) && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st;
    return StatOf(path, st) && S_ISDIR(st.st_mode);
}

bool MakeDirectory(const std::string& path) {
    std::string n = Native(path);
    return !n.empty() && ::mkdir(n.c_str(), 0777) == 0;
}

bool RemoveFile(const std::string& path) {
    std::string n = Native(path);
    return !n.empty() && FileExists(path) && ::unlink(n.c_str()) == 0;
}

bool RemoveEmptyDirectory(const std::string& path) {
    std::string n = Native(path);
    return !n.empty() && ::rmdir(n.c_str()) == 0;
}

int32_t FileAttributes(const std::string& path) {
    struct stat st;
    if (!StatOf(path, st)) return -1;
    if (S_ISDIR(st.st_mode)) return kAttrDirectory;
    int32_t a = kAttrArchive;
    if ((st.st_mode & S_IWUSR) == 0) a |= kAttrReadOnly;
    return a;
}

// Only the read-only bit has a POSIX meaning (the owner's write permission).
bool SetAttributes(const std::string& path, int32_t attributes) {
    struct stat st;
    if (!StatOf(path, st)) return false;
    mode_t mode = st.st_mode & 07777;
    mode = (attributes & kAttrReadOnly) ? (mode & ~static_cast<mode_t>(0222)) : (mode | S_IWUSR);
    return ::chmod(Native(path).c_str(), mode) == 0;
}

double FileDate(const std::string& path) {
    struct stat st;
    if (!StatOf(path, st)) return 0;
    struct tm t;
    time_t secs = st.st_mtime;
    if (!::localtime_r(&secs, &t)) return 0;
    return DateFromCivil(CivilTime{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, 0});
}

int64_t FileSize(const std::string& path) {
    struct stat st;
    return StatOf(path, st) && !S_ISDIR(st.st_mode) ? st.st_size : 0;
}

bool IsRemovableDrive(const std::string&) { return false; }

bool DriveHasMedium(char letter) { return DirectoryExists(std::string(1, letter) + ":\\"); }

std::vector<std::string> FindFiles(const std::string& pattern) {
    std::vector<std::string> found;
    size_t cut = pattern.find_last_of("\\/");
    std::string dir = cut == std::string::npos ? std::string() : pattern.substr(0, cut + 1);
    std::string mask = pattern.substr(cut == std::string::npos ? 0 : cut + 1);
    std::string n = Native(dir.empty() ? std::string(".") : dir);
    if (n.empty()) return found;
    DIR* d = ::opendir(n.c_str());
    if (!d) return found;
    while (dirent* e = ::readdir(d))
        if (::fnmatch(mask.c_str(), e->d_name, FNM_CASEFOLD) == 0 && FileExists(dir + e->d_name))
            found.push_back(dir + e->d_name);
    ::closedir(d);
    return found;
}

std::string TempFolder() {
    const char* t = std::getenv("TMPDIR");
    std::string s = t && *t ? t : "/tmp";
    if (!IsSep(s.back())) s += '\\';
    return s;
}

uint32_t TickCount() {
    struct timespec ts;
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
}

double Now() {
    struct timeval tv;
    ::gettimeofday(&tv, nullptr);
    struct tm t;
    time_t secs = tv.tv_sec;
    ::localtime_r(&secs, &t);
    return DateFromCivil(CivilTime{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec,
                                   static_cast<int>(tv.tv_usec / 1000)});
}

}  // namespace kav::os

// Version texts without the system's version library: read from the file's
// resources directly.
#include <fstream>
#include <iterator>

#include "platform/PeResources.h"

namespace kav::os {

std::vector<std::pair<std::string, std::string>> VersionInfoTexts(const std::string& path,
                                                                  const std::vector<std::string>& keys) {
    std::ifstream in(Native(path), std::ios::binary);
    if (!in) return {};
    std::vector<uint8_t> image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return pe::VersionTexts(image, keys);
}

}  // namespace kav::os
