// Where an entry is restored: the stored path kept under the extraction
// folder, or, for stored absolute and network paths, the original place when
// it exists on this machine.
#include <cctype>
#include <string_view>

#include "CustExtractor.h"
#include "platform/Platform.h"

namespace kav {

std::string EntryDestinationFolder(const std::string& entryName, const std::string& extractPath, bool restorePath) {
    if (!restorePath) return extractPath;
    const std::string p = ExtractFilePath(entryName);
    const std::string e = IncludeTrailingBackslash(extractPath);
    if (p.compare(0, 2, "\\\\") == 0) {
        const std::string r = p.substr(2);
        size_t server = r.find('\\');
        if (server == std::string::npos || r.find('\\', server + 1) == std::string::npos) return e + r;
        size_t share = r.find('\\', server + 1);
        const std::string root = "\\\\" + r.substr(0, server) + "\\" + r.substr(server + 1, share - server - 1);
        return os::DirectoryExists(root) ? p : e + r;
    }
    size_t colon = p.find(':');
    if (colon == std::string::npos) return e + p;
    const std::string d = p.substr(0, colon);
    if (d.size() == 1 && std::isalpha(static_cast<unsigned char>(d[0])) && os::DirectoryExists(d + ":\\")) return p;
    if (extractPath.size() >= 2 && extractPath[1] == ':' && os::DirectoryExists(extractPath.substr(0, 2) + "\\"))
        return extractPath.substr(0, 1).append(p, 1, std::string::npos);
    return std::string("C").append(p, 1, std::string::npos);
}

namespace {

bool IsReservedDeviceName(const std::string& part) {
    // Windows opens the device whatever follows the first dot, and ignores
    // blanks before it ("nul .txt" is NUL).
    std::string base = part.substr(0, part.find('.'));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    for (char& c : base) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
        if (base == device) return true;
    if (base.compare(0, 3, "COM") != 0 && base.compare(0, 3, "LPT") != 0) return false;
    const std::string n = base.substr(3);
    // A digit, or the superscripts 1, 2 and 3 (UTF-8), which Windows takes as digits here.
    return (n.size() == 1 && std::isdigit(static_cast<unsigned char>(n[0]))) || n == "\xC2\xB9" || n == "\xC2\xB2" ||
           n == "\xC2\xB3";
}

bool IsBadPart(const std::string& part) {
    if (part.size() > kMaxStoredNamePart) return true;
    if (part.empty()) return false;
    if (part == ".." || part.back() == '.' || part.back() == ' ') return true;
    for (char c : part)
        if (static_cast<unsigned char>(c) < 32 || std::string_view("<>\"|?*:").find(c) != std::string_view::npos)
            return true;
    return IsReservedDeviceName(part);
}

}  // namespace

bool IsUnsafeStoredName(const std::string& name, bool restoreDrives) {
    if (name.size() >= kMaxStoredName) return true;
    std::string rest = name;
    const bool twoSeparators = name.size() >= 2 && IsPathSeparator(name[0]) && IsPathSeparator(name[1]);
    const bool drive = name.size() >= 3 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':' &&
                       IsPathSeparator(name[2]);
    if (twoSeparators) {
        // "\\server\share\..." restores to the share under the format's own
        // rule; "\\.\" and "\\?\" name devices and raw paths, never files here.
        if (!restoreDrives || name.size() < 3 || name[2] == '.' || name[2] == '?' || IsPathSeparator(name[2]))
            return true;
        rest = name.substr(2);
    } else if (drive) {
        if (!restoreDrives) return true;
        rest = name.substr(3);
    }
    size_t start = 0;
    for (size_t i = 0; i <= rest.size(); ++i) {
        if (i == rest.size() || IsPathSeparator(rest[i])) {
            if (IsBadPart(rest.substr(start, i - start))) return true;
            start = i + 1;
        }
    }
    return false;
}

}  // namespace kav
