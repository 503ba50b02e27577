// The archive producer: writes .KAV archives (and their segments) in the
// exact layout the engine reads, for tests, fixtures and support. Never part
// of the shipped program, which only reads archives.
//
//   kavmake::ArchiveBuilder b;
//   b.AddFile("dir\\a.txt", "contents", {.fileType = 3});
//   b.WriteTo("out/QTR.KAV");            // QTR.KAV, QTR.001, ... when segmented
//
// Build() also returns where every field landed, so hostile-input tests can
// patch exactly the byte they mean.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ArchiverMisc.h"

namespace kavmake {

// Smallest is what release tooling does: compressed, or stored when
// compression does not shrink the block. Compressed forces compression (a
// forced block of incompressible data can outgrow the reader's input buffer
// when BlockSize is small: a way to build that damage).
enum class Packing { Smallest, Compressed, Stored };

// Deliberate faults in the blocks of one file.
enum class Fault {
    None,
    WrongCrc,     // every block's checksum off by one bit
    StandardCrc,  // zlib's CRC-32 instead of the archive's own
};

struct FileOptions {
    double date = 45000.5;  // days since 30 December 1899 (2023-03-15 12:00)
    int32_t attr = 0x20;
    uint8_t fileType = 0;
    std::string altName;    // UTF-8; empty: no AltName and no AltFileType byte
    uint8_t altFileType = 0;
    std::vector<uint8_t> tags;  // at most 10 (more is written as given: damage)
    Packing packing = Packing::Smallest;
    int level = 6;              // zlib level for compressed blocks
    bool encrypted = false;     // with the archive's key
    uint8_t extraFileFlags = 0; // uninterpreted bits to carry
    int32_t reserved1 = 0, reserved2 = 0;
    Fault fault = Fault::None;
};

struct ArchiveOptions {
    int32_t signature = kav::kArchiveSignature;
    int32_t version = 1;
    int32_t archiveID = 0x4B41564F;
    int32_t blockSize = 65536;
    uint8_t extraFlags = 0;      // e.g. 0x01 keep key, 0x02 (installer's own archive)
    bool lastSegmentFlag = true; // cleared only to build broken or partial sets
    kav::TUserData userData;
    std::string comment;         // UTF-8
    std::string key;             // for encrypted files
    // 0: one file. Otherwise the most bytes a segment file may hold: a new
    // segment starts (splitting a file between blocks) when the next
    // record or block would not fit.
    int64_t segmentSize = 0;
    // When false, segments before the last carry their own totals as the
    // archive totals, so the reader must fetch them from the last segment.
    bool completeTotalsEverywhere = true;
    // Solid: the entries go into an inner single-segment archive that is the
    // content of the outer archive's one entry.
    bool solid = false;
    std::string solidEntryName = "SOLIDO.KAV";
};

// Where things landed, as offsets into the segment's bytes.
struct EntryLayout {
    int segment = 1;           // 1-based
    int64_t record = 0;        // first byte of the entry record (its name length)
    int64_t date = 0;
    int64_t size = 0;
    int64_t packedPartSize = 0;
    int64_t altName = 0;       // the AltName length field
    int64_t tagCount = 0;
    std::vector<int64_t> blocks;  // each block's length field
};

struct BuiltArchive {
    std::vector<std::string> segments;  // file bytes of segment 1, 2, ...
    std::vector<EntryLayout> entries;   // every record written, continuations included
};

// A file added to a builder, as it was added.
struct AddedFile {
    std::string name;
    std::string_view content;  // valid while the builder lives
    FileOptions options;
};

class ArchiveBuilder {
public:
    explicit ArchiveBuilder(ArchiveOptions options = {});

    void AddFile(const std::string& name, std::string_view content, const FileOptions& options = {});
    // A folder entry: no data. The name usually ends with a backslash.
    void AddFolder(const std::string& name, const FileOptions& options = {});
    // Starts a new segment before the next entry (segmented archives only).
    void BreakSegment();

    BuiltArchive Build() const;
    // The single segment's bytes (throws when the archive has several).
    std::string Bytes() const;
    // Writes segment 1 to `path` and segment n to the same name with the
    // extension n - 1 in three or more digits (QTR.KAV, QTR.001, ...).
    void WriteTo(const std::string& path) const;

    const ArchiveOptions& Options() const { return options_; }
    // Every file added, in order; folders left out.
    std::vector<AddedFile> Files() const;

private:
    struct Item {
        std::string name;
        std::string content;
        FileOptions options;
        bool folder = false;
        bool breakBefore = false;
    };
    BuiltArchive BuildPlain(const std::vector<Item>& items) const;

    ArchiveOptions options_;
    std::vector<Item> items_;
    bool pendingBreak_ = false;
};

// An executable with an archive appended: the prefix, zero bytes up to
// `offset` (at least the prefix size), the archive, zero bytes to the next
// multiple of 8, then `trailer` (standing for a code-signing table).
std::string AppendToExecutable(const std::string& prefix, const std::string& archive, int64_t offset,
                               const std::string& trailer = {});

// A zlib stream of `plain`, as compressed blocks hold it.
std::string Compress(std::string_view plain, int level = 6);

// Deterministic mixed data (words, numbers and binary runs) of `size` bytes:
// compresses roughly like program files and documents do.
std::string MixedData(size_t size, uint32_t seed = 1);

// Days since 30 December 1899 for a civil date and time.
double DateFromCivil(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

}  // namespace kavmake
