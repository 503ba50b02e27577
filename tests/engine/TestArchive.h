// The engine tests' archives, described as recipes and written by the
// shared producer (kavmake::ArchiveBuilder): entries with names, dates,
// attributes, types, alternate names, folder entries, stored, compressed and
// encrypted blocks, several segments with files split across them, solid
// archives, and archives appended to other bytes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "ArchiverMisc.h"

namespace kav::test {

struct FileRecipe {
    std::string name;   // stored name (UTF-8)
    std::string data;
    double date = 45000.25;  // 14 March 2023, 06:00
    int32_t attr = 0x20;
    uint8_t type = 0;
    std::string altName;
    uint8_t altType = 0;
    bool folder = false;
    bool stored = false;     // blocks stored instead of compressed
    std::string key;         // encrypted with this key when not empty (one key per archive)
};

struct ArchiveRecipe {
    std::vector<FileRecipe> files;
    std::string comment;
    TUserData userData{};
    int32_t archiveId = 4242;
    int32_t blockSize = 1024;
    uint8_t flags = 0;        // extra ArchiveFlags bits (the last-segment bit is set by the writer)
    // Largest amount of entry data (records and blocks) per segment; 0 = one
    // segment. A file is split between blocks when it does not fit.
    int32_t segmentData = 0;
    // The first segment's ArchiveInfo left incomplete (as producers write it).
    bool incompleteFirstTotals = false;
};

// The segment files' bytes, in order.
std::vector<std::string> BuildSegments(const ArchiveRecipe& recipe);
inline std::string BuildArchive(const ArchiveRecipe& recipe) { return BuildSegments(recipe).front(); }

// A solid archive whose single entry, `name`, holds the inner archive.
std::string BuildSolid(const ArchiveRecipe& inner, const std::string& name = "solid.kav");

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);

}  // namespace kav::test
