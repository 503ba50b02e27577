// Where an entry is restored: the stored path kept under the extraction
// folder, or, for stored absolute and network paths, the original place when
// it exists on this machine.
#include <cctype>

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

bool IsUnsafeStoredName(const std::string& name) {
    if (HasParentReference(name)) return true;
    size_t colon = name.find(':');
    if (colon == std::string::npos) return false;
    // Only "X:" at the very start names a drive; any other colon would make
    // the rules above build a path relative to the current folder.
    return colon != 1 || !std::isalpha(static_cast<unsigned char>(name[0])) ||
           name.find(':', colon + 1) != std::string::npos;
}

}  // namespace kav
