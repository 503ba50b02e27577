// Path and name helpers of the engine. Names follow the Windows conventions:
// a drive part ("C:" or "\\server\share"), folders ending in a separator,
// a file name and its extension. A slash counts as a separator too, so that
// native paths of the POSIX build work the same way.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace kav {

bool IsPathSeparator(char c);

// Up to and including the last separator (or the drive's colon); "" if none.
std::string ExtractFilePath(const std::string& name);
// The part after the last separator or colon.
std::string ExtractFileName(const std::string& name);
// "C:" or "\\server\share", else "".
std::string ExtractFileDrive(const std::string& name);
// With its dot; "" when the file name has none.
std::string ExtractFileExt(const std::string& name);
std::string IncludeTrailingBackslash(const std::string& path);
std::string ExcludeTrailingBackslash(const std::string& path);

// An archive name split for forming segment names: Name loses a trailing
// "-digits" suffix (QTR-3.KAV -> Name "QTR").
struct ArchiveNameParts {
    std::string Drive, Dir, Name, Ext;
};
ArchiveNameParts SplitArchiveName(const std::string& fileName);
// Segment 1 is the archive itself; segment n >= 2 has the extension n - 1
// written with at least three digits.
std::string SegmentFileName(const ArchiveNameParts& parts, int segment);

// Shortens a path for a dialog label to fewer than Max characters,
// replacing middle folders with "...".
std::string ShortenPath(const std::string& path, int max);

bool HasExeExtension(const std::string& name);

// Creates a folder and its missing parents. An empty path fails with
// `cannotCreateDir`; failures of the creation itself are left for the later
// file creation to report. A relative one-folder name ("out") is created in
// the current folder.
void ForceDirectories(const std::string& path, const std::string& cannotCreateDir);

// A free temporary file name in `folder`: "~Archiv-<hex>.tmp" counting up
// from `tick`; after 1001 names in use fails with `cannotBuild`.
std::string MakeTempFileName(const std::string& folder, uint32_t tick, const std::string& cannotBuild);

}  // namespace kav
