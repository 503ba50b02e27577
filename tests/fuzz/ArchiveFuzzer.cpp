// libFuzzer target over the archive reader: the input is one or more
// segment files (separated by kSegmentBreak), read the way "kavtool test"
// reads them: every header, entry record and block, with a known key.
// Any error of the product's own kinds is a clean rejection; a crash, a
// sanitizer report or a leak is a finding.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ArchiveScan.h"
#include "FuzzInput.h"

namespace {

struct Sink : kav::ScanVisitor {
    uint64_t bytes = 0;
    void Data(const kav::TFileEntry&, const uint8_t* p, size_t n) override {
        if (n > 0) bytes += p[0] + p[n - 1];  // touch the data the reader hands out
    }
};

void ScanOnce(const std::vector<std::string>& segments, bool readData) {
    kav::MemorySegments source(segments);
    Sink sink;
    kav::ScanOptions options;
    options.readData = readData;
    options.key = kav::fuzz::kKey;
    try {
        kav::ScanArchive(source, sink, options);
    } catch (const Exception&) {
        // rejected with a message: fine
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto segments = kav::fuzz::SplitSegments(std::string_view(reinterpret_cast<const char*>(data), size));
    ScanOnce(segments, true);
    ScanOnce(segments, false);
    return 0;
}
