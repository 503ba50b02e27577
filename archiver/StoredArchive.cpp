#include "StoredArchive.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "ArchiveCRC32.h"
#include "ArchiveFormat.h"

namespace kav {

std::string StoredArchive(const std::vector<StoredFile>& files, int32_t blockSize, std::vector<TFileEntry>* written) {
    std::vector<StoredItem> items;
    items.reserve(files.size());
    for (const StoredFile& f : files) items.push_back({f.entry, f.data.size()});
    return StoredArchive(
        items, [&](size_t i, char* out) { std::memcpy(out, files[i].data.data(), files[i].data.size()); }, blockSize,
        written);
}

std::string StoredArchive(const std::vector<StoredItem>& items, const StoredFill& fill, int32_t blockSize,
                          std::vector<TFileEntry>* written) {
    constexpr int64_t kLimit = std::numeric_limits<int32_t>::max();
    const auto check = [](int64_t v) {
        if (v > kLimit) throw EArchiver(kMsgDamaged);
    };
    const auto packedOf = [&](int64_t size) { return size + (size + blockSize - 1) / blockSize * kBlockHeaderSize; };
    // One buffer of the archive's final size, allocated once: on a large
    // file, first touching fresh memory costs more than every copy here.
    int64_t total = kHeaderFixedSize;
    for (const StoredItem& f : items) {
        check(static_cast<int64_t>(f.size));
        total += static_cast<int64_t>(EncodeFileEntry(f.entry).size()) + packedOf(static_cast<int64_t>(f.size));
    }
    check(total);
    std::string body(static_cast<size_t>(total), '\0');
    if (written) written->clear();
    int64_t at = kHeaderFixedSize, packedTotal = 0;
    for (size_t index = 0; index < items.size(); ++index) {
        const StoredItem& f = items[index];
        const int64_t size = static_cast<int64_t>(f.size);
        const int64_t packed = packedOf(size);
        TFileEntry e = f.entry;
        e.Segment = 1;
        e.Offset = static_cast<int32_t>(at);
        e.PartOffset = 0;
        e.FileFlags = kFileLastPart;
        e.Size = static_cast<int32_t>(size);
        e.PackedPartSize = static_cast<int32_t>(packed);
        // As the record holds them: what the engine will read back.
        e.TagCount = std::min<uint8_t>(e.TagCount, kMaxTags);
        std::fill(e.Tags.begin() + e.TagCount, e.Tags.end(), uint8_t(0));
        if (e.AltName.empty()) e.AltFileType = 0;
        const std::string record = EncodeFileEntry(e);
        std::memcpy(body.data() + at, record.data(), record.size());
        at += static_cast<int64_t>(record.size());
        if (written) written->push_back(e);
        // The data is made contiguous at the end of its place, then each
        // block moved forward to leave room for the headers before it: a
        // block's destination never reaches a later block's source.
        char* const place = body.data() + at;
        char* const data = place + (packed - size);
        fill(index, data);
        const int64_t blocks = (size + blockSize - 1) / blockSize;
        for (int64_t b = 0; b < blocks; ++b) {
            const int64_t length = std::min<int64_t>(blockSize, size - b * blockSize);
            std::memmove(place + b * (blockSize + kBlockHeaderSize) + kBlockHeaderSize, data + b * blockSize,
                         static_cast<size_t>(length));
        }
        // The blocks' checksums a few at a time: one checksum is a single
        // dependent chain that leaves the processor mostly idle.
        for (int64_t b = 0; b < blocks; b += kArchiveCRC32Ways) {
            CRC32Piece pieces[kArchiveCRC32Ways];
            char* starts[kArchiveCRC32Ways];
            uint32_t crcs[kArchiveCRC32Ways];
            size_t n = 0;
            for (; n < kArchiveCRC32Ways && b + int64_t(n) < blocks; ++n) {
                const int64_t k = b + int64_t(n);
                starts[n] = place + k * (blockSize + kBlockHeaderSize);
                pieces[n] = {starts[n] + kBlockHeaderSize,
                             static_cast<size_t>(std::min<int64_t>(blockSize, size - k * blockSize))};
            }
            ArchiveCRC32Multi(pieces, n, crcs);
            for (size_t i = 0; i < n; ++i) {
                std::string header;
                PutInt32(header, -static_cast<int32_t>(pieces[i].size));
                PutInt32(header, static_cast<int32_t>(crcs[i]));
                std::memcpy(starts[i], header.data(), header.size());
            }
        }
        at += packed;
        packedTotal += packed;
    }
    TArchiveHeader h;
    h.BlockSize = blockSize;
    h.EndOffset = static_cast<int32_t>(body.size());
    h.ArchiveFlags = kArchiveLastSegment;
    h.ArchiveInfo.FileCount = static_cast<int32_t>(items.size());
    h.ArchiveInfo.PackedSize = static_cast<double>(packedTotal);
    h.SegmentInfo = h.ArchiveInfo;
    body.replace(0, kHeaderFixedSize, EncodeHeader(h));
    return body;
}

}  // namespace kav
