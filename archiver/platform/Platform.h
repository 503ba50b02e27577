// The archive engine's view of the operating system. Paths use the Windows
// conventions (backslashes, drive letters, \\server\share); the POSIX side
// maps them at its edge (see PlatformPosix.cpp). Dates are day counts since
// 30 December 1899 with the time of day as fraction, local time.
#pragma once
#include <utility>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kav::os {

enum class Access { Read, ReadWrite };
// Sharing granted to other openers while the file is open. Compat is the
// old "compatibility" mode of read-only archive opens; it behaves as
// DenyNone for readers.
enum class Share { Compat, DenyWrite, DenyNone };
enum class Disposition { OpenExisting, CreateAlways };

// One open file, closed on destruction. Movable, not copyable.
class File {
public:
    File() = default;
    ~File() { Close(); }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    File(File&& o) noexcept : handle_(std::exchange(o.handle_, -1)) {}
    File& operator=(File&& o) noexcept {
        if (this != &o) {
            Close();
            handle_ = std::exchange(o.handle_, -1);
        }
        return *this;
    }

    // False when the file cannot be opened or created.
    bool Open(const std::string& path, Access access, Share share, Disposition disposition);
    // Opens the same open file as `other` (a duplicate of its handle), not
    // whatever its path names now; the two share the position, so each
    // reader seeks before it reads. False when `other` is not open.
    bool Duplicate(const File& other);
    void Close();
    bool IsOpen() const;

    // Reads up to n bytes; returns how many were read (0 at end or on error).
    size_t Read(void* buffer, size_t n);
    // True only when all n bytes were written.
    bool Write(const void* buffer, size_t n);
    bool Seek(int64_t position);
    int64_t Position() const;
    int64_t Size() const;
    // Modification time as a local date.
    bool SetDate(double date);

private:
    intptr_t handle_ = -1;
};

// Attribute bits as stored in archives and used by Windows.
constexpr int32_t kAttrReadOnly = 0x01;
constexpr int32_t kAttrHidden = 0x02;
constexpr int32_t kAttrSystem = 0x04;
constexpr int32_t kAttrDirectory = 0x10;
constexpr int32_t kAttrArchive = 0x20;
constexpr int32_t kAttrNormal = 0x80;

bool FileExists(const std::string& path);       // a file, not a folder
bool DirectoryExists(const std::string& path);  // a folder (a drive root "C:\" too)
bool MakeDirectory(const std::string& path);  // one level
bool RemoveFile(const std::string& path);
bool RemoveEmptyDirectory(const std::string& path);  // an empty one
// -1 when the file does not exist.
int32_t FileAttributes(const std::string& path);
bool SetAttributes(const std::string& path, int32_t attributes);
// Modification time of the file as a local date; 0 when unknown.
double FileDate(const std::string& path);
int64_t FileSize(const std::string& path);  // 0 when it cannot be read

// True when the drive ("A:".."Z:") is a removable drive.
bool IsRemovableDrive(const std::string& drive);
// True when the drive holds a medium; never shows the system's
// critical-error box.
bool DriveHasMedium(char letter);
// Files matching a pattern with * and ? in its last component; full paths.
std::vector<std::string> FindFiles(const std::string& pattern);

// The system's temporary folder with a trailing backslash ("c:\" when the
// system gives none).
std::string TempFolder();
uint32_t TickCount();
double Now();

// The version-information texts of an executable (first translation) for
// the listed keys, as key/value pairs; empty when the file has none.
std::vector<std::pair<std::string, std::string>> VersionInfoTexts(const std::string& path,
                                                                  const std::vector<std::string>& keys);

}  // namespace kav::os
