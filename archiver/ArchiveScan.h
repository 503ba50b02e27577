// Walks every entry of an archive across its segments and, when asked,
// reads and verifies every block: the checks of an extraction without
// writing anything. The support tool's "list" and "test" and the fuzzer
// run on it.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ArchiverMisc.h"

namespace kav {
class Stream;

// Segment n's file name for an archive file name: n = 1 is the name itself;
// n >= 2 replaces the extension by n - 1 in three or more digits, after
// dropping a "-digits" suffix of the base name (QTR-3.KAV -> QTR.001).
std::string SegmentFileName(const std::string& archive, int n);

// Where the segments of one archive come from.
class SegmentSource {
public:
    virtual ~SegmentSource() = default;
    // Segment n (1-based), or nullptr when it does not exist.
    virtual std::unique_ptr<Stream> Open(int segment) = 0;
    // Position of the header inside segment n's file.
    virtual int64_t StartOffset(int segment) { return 0; }
    // The name shown in messages.
    virtual std::string Name(int segment) = 0;
};

// Segment files beside an archive; `startOffset` applies to segment 1 only
// (an archive appended to an executable).
class FileSegments : public SegmentSource {
public:
    explicit FileSegments(std::string path, int64_t startOffset = 0)
        : path_(std::move(path)), start_(startOffset) {}
    std::unique_ptr<Stream> Open(int segment) override;
    int64_t StartOffset(int segment) override { return segment == 1 ? start_ : 0; }
    std::string Name(int segment) override { return SegmentFileName(path_, segment); }

private:
    std::string path_;
    int64_t start_;
};

// Segments held in memory (tests, the fuzzer, a solid archive's inner one).
class MemorySegments : public SegmentSource {
public:
    explicit MemorySegments(std::vector<std::string> segments, int64_t startOffset = 0)
        : segments_(std::move(segments)), start_(startOffset) {}
    std::unique_ptr<Stream> Open(int segment) override;
    int64_t StartOffset(int segment) override { return segment == 1 ? start_ : 0; }
    std::string Name(int segment) override { return "segmento " + std::to_string(segment); }

private:
    std::vector<std::string> segments_;
    int64_t start_;
};

class ScanVisitor {
public:
    virtual ~ScanVisitor() = default;
    // Every header read: segment 1, the next segments, a solid archive's inner one.
    virtual void Header(const TArchiveHeader&) {}
    // Once per entry, after its data; a split file is reported with the
    // fields of its first record and the part flags of its last. A solid
    // archive's container entry is not reported: its inner entries are.
    virtual void Entry(const TFileEntry&) {}
    // The file's bytes in order (readData only).
    virtual void Data(const TFileEntry&, const uint8_t*, size_t) {}
};

struct ScanOptions {
    bool readData = true;          // verify every block (else skip the data)
    std::string key;               // for encrypted entries
    int32_t signature = kArchiveSignature;
};

// Throws the format's errors (signature, version, damage, checksum, key,
// inflate, segment sequence), EReadError for short files, and:
inline constexpr const char* kMsgMissingSegment = "No se encuentra el segmento Nº: %d del archivo %s";
inline constexpr const char* kMsgWrongSegment = "No es el segmento Nº: %d del archivo %s!";
void ScanArchive(SegmentSource& source, ScanVisitor& visitor, const ScanOptions& options = {});

}  // namespace kav
