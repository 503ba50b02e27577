#include "PathUtils.h"

#include <cctype>
#include <cstdio>

#include "Exception.h"
#include "TextCodec.h"
#include "platform/Platform.h"

namespace kav {

bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

namespace {

size_t LastDelimiter(const std::string& name) {
    for (size_t i = name.size(); i-- > 0;)
        if (IsPathSeparator(name[i]) || name[i] == ':') return i;
    return std::string::npos;
}

}  // namespace

std::string ExtractFilePath(const std::string& name) {
    size_t i = LastDelimiter(name);
    return i == std::string::npos ? std::string() : name.substr(0, i + 1);
}

std::string ExtractFileName(const std::string& name) {
    size_t i = LastDelimiter(name);
    return i == std::string::npos ? name : name.substr(i + 1);
}

std::string ExtractFileDrive(const std::string& name) {
    if (name.size() >= 2 && name[1] == ':') return name.substr(0, 2);
    if (name.size() >= 2 && IsPathSeparator(name[0]) && IsPathSeparator(name[1])) {
        // \\server\share: up to the separator after the share.
        size_t server = name.find_first_of("\\/", 2);
        if (server == std::string::npos) return name;
        size_t share = name.find_first_of("\\/", server + 1);
        return share == std::string::npos ? name : name.substr(0, share);
    }
    return {};
}

std::string ExtractFileExt(const std::string& name) {
    for (size_t i = name.size(); i-- > 0;) {
        if (name[i] == '.') return name.substr(i);
        if (IsPathSeparator(name[i]) || name[i] == ':') break;
    }
    return {};
}

std::string IncludeTrailingBackslash(const std::string& path) {
    return !path.empty() && IsPathSeparator(path.back()) ? path : path + '\\';
}

std::string ExcludeTrailingBackslash(const std::string& path) {
    return !path.empty() && IsPathSeparator(path.back()) ? path.substr(0, path.size() - 1) : path;
}

ArchiveNameParts SplitArchiveName(const std::string& fileName) {
    ArchiveNameParts p;
    p.Drive = ExtractFileDrive(fileName);
    std::string path = ExtractFilePath(fileName);
    p.Dir = path.size() >= p.Drive.size() ? path.substr(p.Drive.size()) : std::string();
    std::string file = ExtractFileName(fileName);
    p.Ext = ExtractFileExt(file);
    p.Name = file.substr(0, file.size() - p.Ext.size());
    size_t digits = p.Name.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(p.Name[digits - 1]))) --digits;
    if (digits < p.Name.size() && digits > 0 && p.Name[digits - 1] == '-') p.Name.resize(digits - 1);
    return p;
}

std::string SegmentFileName(const ArchiveNameParts& parts, int segment) {
    if (segment == 1) return parts.Drive + parts.Dir + parts.Name + parts.Ext;
    char number[16];
    std::snprintf(number, sizeof number, "%.3d", segment - 1);
    return parts.Drive + parts.Dir + parts.Name + "." + number;
}

std::string ShortenPath(const std::string& path, int max) {
    // Counted in characters, not UTF-8 bytes.
    std::u16string p = text::Utf8ToUtf16(path);
    auto out = [](const std::u16string& s) { return text::Utf16ToUtf8(s); };
    if (static_cast<int>(p.size()) < max) return path;
    auto sep = [](char16_t c) { return c == u'\\' || c == u'/'; };
    std::u16string drive = text::Utf8ToUtf16(ExtractFileDrive(path));
    size_t lastSep = p.size();
    for (size_t i = p.size(); i-- > 0;)
        if (sep(p[i]) || p[i] == u':') {
            lastSep = i;
            break;
        }
    std::u16string file = lastSep == p.size() ? p : p.substr(lastSep + 1);
    std::u16string folders = lastSep == p.size() || lastSep < drive.size() ? u"" : p.substr(drive.size(), lastSep - drive.size());
    if (!drive.empty()) drive += u'\\';
    while (!folders.empty() && sep(folders.front())) folders.erase(0, 1);
    while (!folders.empty() && sep(folders.back())) folders.pop_back();
    if (static_cast<int>(file.size()) > max) return out(file.substr(0, static_cast<size_t>(max > 3 ? max - 3 : 0)) + u"...");
    size_t first = folders.find_first_of(u"\\/");
    if (first != std::u16string::npos) {
        size_t last = folders.find_last_of(u"\\/");
        std::u16string a = folders.substr(0, first + 1), b = folders.substr(last + 1) + u'\\';
        a.back() = u'\\';
        for (const std::u16string& c : {drive + a + u"...\\" + b + file, drive + u"...\\" + b + file,
                                        drive + a + u"...\\" + file})
            if (static_cast<int>(c.size()) < max - 4) return out(c);
    }
    return out(drive + u"...\\" + file);
}

bool HasExeExtension(const std::string& name) { return text::UpperAscii(ExtractFileExt(name)) == ".EXE"; }

void ForceDirectories(const std::string& path, const std::string& cannotCreateDir) {
    if (path.empty()) throw Exception(cannotCreateDir);
    std::string dir = ExcludeTrailingBackslash(path);
    if (dir.size() <= 2 || os::DirectoryExists(dir)) return;
    // A relative name of one folder has the current folder as parent.
    std::string parent = ExtractFilePath(dir);
    if (!parent.empty() && ExcludeTrailingBackslash(parent) != dir) ForceDirectories(parent, cannotCreateDir);
    os::MakeDirectory(dir);
}

std::string MakeTempFileName(const std::string& folder, uint32_t tick, const std::string& cannotBuild) {
    for (int i = 0; i < 1001; ++i) {
        ++tick;
        char name[32];
        std::snprintf(name, sizeof name, "~Archiv-%X.tmp", tick);
        std::string candidate = IncludeTrailingBackslash(folder) + name;
        if (!os::FileExists(candidate)) return candidate;
    }
    throw Exception(cannotBuild);
}

}  // namespace kav

