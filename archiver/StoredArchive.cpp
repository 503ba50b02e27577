#include "StoredArchive.h"

#include <limits>

#include "ArchiveCRC32.h"
#include "ArchiveFormat.h"

namespace kav {

std::string StoredArchive(const std::vector<StoredFile>& files, int32_t blockSize) {
    constexpr int64_t kLimit = std::numeric_limits<int32_t>::max();
    const auto check = [](int64_t v) {
        if (v > kLimit) throw EArchiver(kMsgDamaged);
    };
    // The header's place first, filled once the totals are known: the data
    // is copied once, into a string that never grows.
    int64_t total = kHeaderFixedSize;
    for (const StoredFile& f : files)
        total += static_cast<int64_t>(EncodeFileEntry(f.entry).size()) + static_cast<int64_t>(f.data.size()) +
                 (static_cast<int64_t>(f.data.size()) + blockSize - 1) / blockSize * kBlockHeaderSize;
    check(total);
    std::string body(kHeaderFixedSize, '\0');
    body.reserve(static_cast<size_t>(total));
    int64_t packedTotal = 0;
    for (const StoredFile& f : files) {
        const int64_t size = static_cast<int64_t>(f.data.size());
        check(size);
        const int64_t blocks = (size + blockSize - 1) / blockSize;
        const int64_t packed = size + blocks * kBlockHeaderSize;
        check(packed);
        TFileEntry e = f.entry;
        e.Segment = 1;
        e.Offset = static_cast<int32_t>(body.size());
        e.PartOffset = 0;
        e.FileFlags = kFileLastPart;
        e.Size = static_cast<int32_t>(size);
        e.PackedPartSize = static_cast<int32_t>(packed);
        body += EncodeFileEntry(e);
        // The blocks' checksums a few at a time: one checksum is a single
        // dependent chain that leaves the processor mostly idle.
        for (int64_t at = 0; at < size; at += blockSize * int64_t(kArchiveCRC32Ways)) {
            CRC32Piece pieces[kArchiveCRC32Ways];
            uint32_t crcs[kArchiveCRC32Ways];
            size_t n = 0;
            for (int64_t p = at; p < size && n < kArchiveCRC32Ways; p += blockSize, ++n) {
                const std::string_view chunk = f.data.substr(static_cast<size_t>(p), static_cast<size_t>(blockSize));
                pieces[n] = {chunk.data(), chunk.size()};
            }
            ArchiveCRC32Multi(pieces, n, crcs);
            for (size_t i = 0; i < n; ++i) {
                PutInt32(body, -static_cast<int32_t>(pieces[i].size));
                PutInt32(body, static_cast<int32_t>(crcs[i]));
                body.append(static_cast<const char*>(pieces[i].data), pieces[i].size);
            }
        }
        packedTotal += packed;
        check(static_cast<int64_t>(body.size()));
    }
    TArchiveHeader h;
    h.BlockSize = blockSize;
    h.EndOffset = static_cast<int32_t>(body.size());
    h.ArchiveFlags = kArchiveLastSegment;
    h.ArchiveInfo.FileCount = static_cast<int32_t>(files.size());
    h.ArchiveInfo.PackedSize = static_cast<double>(packedTotal);
    h.SegmentInfo = h.ArchiveInfo;
    body.replace(0, kHeaderFixedSize, EncodeHeader(h));
    return body;
}

}  // namespace kav
