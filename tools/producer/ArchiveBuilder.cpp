#include "ArchiveBuilder.h"

#include <zlib.h>

#include <algorithm>
#include <fstream>
#include <stdexcept>

#include "ArchiveCRC32.h"
#include "ArchiveFormat.h"
#include "PathUtils.h"
#include "Blowunit.h"
#include "TextCodec.h"

namespace kavmake {
namespace {

using kav::PutByte;
using kav::PutExtended;
using kav::PutInt32;
using kav::PutString;
using kav::PutUInt16;

// Blowfish ECB over P padded with zeros to a multiple of 8, then the count.
std::string Encipher(const std::string& plain, const std::string& key) {
    const size_t pad = (8 - plain.size() % 8) % 8;
    std::string data = plain + std::string(pad, '\0');
    kav::TBlowFish bf;
    bf.SetKey(key);
    bf.SetInputType(kav::TSourceType::SourceByteArray);
    for (size_t at = 0; at < data.size(); at += kav::TCrypto::kBufferSize) {
        const size_t n = std::min<size_t>(kav::TCrypto::kBufferSize, data.size() - at);
        bf.SetInputPointer(data.data() + at);
        bf.SetOutputPointer(data.data() + at);
        bf.SetInputLength(static_cast<uint16_t>(n));
        bf.EncipherData(at != 0);
    }
    return data + static_cast<char>(pad);
}

struct Block {
    std::string bytes;  // length, checksum and data
    int64_t plain = 0;  // file bytes it stands for
};

std::vector<Block> MakeBlocks(std::string_view content, const FileOptions& o, const ArchiveOptions& a) {
    std::vector<Block> blocks;
    for (size_t at = 0; at < content.size(); at += static_cast<size_t>(a.blockSize)) {
        const std::string_view chunk = content.substr(at, static_cast<size_t>(a.blockSize));
        std::string p(chunk);
        bool stored = o.packing == Packing::Stored;
        if (!stored) {
            std::string z = Compress(chunk, o.level);
            if (o.packing == Packing::Smallest && z.size() >= chunk.size()) stored = true;
            else p = std::move(z);
        }
        uint32_t crc = o.fault == Fault::StandardCrc
                           ? static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(p.data()),
                                                         static_cast<uInt>(p.size())))
                           : kav::ArchiveCRC32(p.data(), p.size());
        if (o.fault == Fault::WrongCrc) crc ^= 1;
        const std::string data = o.encrypted ? Encipher(p, a.key) : p;
        Block b;
        PutInt32(b.bytes, stored ? -static_cast<int32_t>(data.size()) : static_cast<int32_t>(data.size()));
        PutInt32(b.bytes, static_cast<int32_t>(crc));
        b.bytes += data;
        b.plain = static_cast<int64_t>(chunk.size());
        blocks.push_back(std::move(b));
    }
    return blocks;
}

struct RecordFields {
    int32_t size = 0, partOffset = 0, packedPartSize = 0, offset = 0;
    uint16_t segment = 1;
    uint8_t flags = 0;
};

// One entry record; `layout` gets field offsets relative to the record.
std::string EncodeRecord(const std::string& name, const FileOptions& o, const RecordFields& f,
                         EntryLayout& layout) {
    std::string r;
    PutString(r, name);
    layout.date = static_cast<int64_t>(r.size());
    PutExtended(r, o.date);
    PutInt32(r, o.attr);
    PutUInt16(r, f.segment);
    PutInt32(r, f.offset);
    PutInt32(r, f.partOffset);
    PutByte(r, f.flags);
    layout.size = static_cast<int64_t>(r.size());
    PutInt32(r, f.size);
    PutInt32(r, o.reserved1);
    PutInt32(r, o.reserved2);
    layout.packedPartSize = static_cast<int64_t>(r.size());
    PutInt32(r, f.packedPartSize);
    PutByte(r, o.fileType);
    layout.altName = static_cast<int64_t>(r.size());
    PutString(r, o.altName);
    if (!o.altName.empty()) PutByte(r, o.altFileType);
    layout.tagCount = static_cast<int64_t>(r.size());
    PutByte(r, static_cast<uint8_t>(o.tags.size()));
    r.append(o.tags.begin(), o.tags.end());
    return r;
}

struct Segment {
    std::string body;  // everything after the header
    int32_t records = 0;
    int64_t packed = 0;
};

}  // namespace

std::string Compress(std::string_view plain, int level) {
    uLongf n = compressBound(static_cast<uLong>(plain.size()));
    std::string out(n, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &n, reinterpret_cast<const Bytef*>(plain.data()),
                  static_cast<uLong>(plain.size()), level) != Z_OK)
        throw std::runtime_error("kavmake: zlib compress failed");
    out.resize(n);
    return out;
}

ArchiveBuilder::ArchiveBuilder(ArchiveOptions options) : options_(std::move(options)) {}

void ArchiveBuilder::AddFile(const std::string& name, std::string_view content, const FileOptions& options) {
    items_.push_back({name, std::string(content), options, false, pendingBreak_});
    pendingBreak_ = false;
}

void ArchiveBuilder::AddFolder(const std::string& name, const FileOptions& options) {
    items_.push_back({name, {}, options, true, pendingBreak_});
    pendingBreak_ = false;
}

void ArchiveBuilder::BreakSegment() { pendingBreak_ = true; }

std::vector<AddedFile> ArchiveBuilder::Files() const {
    std::vector<AddedFile> files;
    for (const Item& item : items_)
        if (!item.folder) files.push_back({item.name, item.content, item.options});
    return files;
}

BuiltArchive ArchiveBuilder::Build() const {
    if (!options_.solid) return BuildPlain(items_);
    ArchiveBuilder inner(options_);
    inner.options_.solid = false;
    inner.options_.segmentSize = 0;
    inner.options_.lastSegmentFlag = true;
    inner.items_ = items_;
    for (auto& item : inner.items_) item.breakBefore = false;
    Item outer{options_.solidEntryName, inner.Bytes(), FileOptions{}, false, false};
    return BuildPlain({outer});
}

BuiltArchive ArchiveBuilder::BuildPlain(const std::vector<Item>& items) const {
    const ArchiveOptions& a = options_;
    kav::TArchiveHeader header;
    header.Comment = a.comment;
    const int64_t headerSize = kav::HeaderSize(header);

    BuiltArchive built;
    std::vector<Segment> segs(1);
    int64_t totalPacked = 0, totalSize = 0;
    auto used = [&] { return headerSize + static_cast<int64_t>(segs.back().body.size()); };
    auto room = [&] { return a.segmentSize > 0 ? a.segmentSize - used() : INT64_MAX; };

    for (const Item& item : items) {
        if (item.breakBefore && a.segmentSize > 0 && !segs.back().body.empty()) segs.emplace_back();
        const std::vector<Block> blocks = item.folder ? std::vector<Block>{} : MakeBlocks(item.content, item.options, a);
        totalSize += static_cast<int64_t>(item.content.size());
        size_t next = 0;
        int64_t partOffset = 0;
        do {
            RecordFields f;
            f.size = static_cast<int32_t>(item.content.size());
            f.partOffset = static_cast<int32_t>(partOffset);
            EntryLayout layout;
            const int64_t recordLen =
                static_cast<int64_t>(EncodeRecord(item.name, item.options, f, layout).size());
            const int64_t firstBlock = next < blocks.size() ? static_cast<int64_t>(blocks[next].bytes.size()) : 0;
            if (!segs.back().body.empty() && recordLen + firstBlock > room()) segs.emplace_back();
            // Take the blocks that fit, at least one so that every part moves on.
            size_t end = next;
            int64_t partBytes = 0, partPlain = 0;
            while (end < blocks.size()) {
                const auto len = static_cast<int64_t>(blocks[end].bytes.size());
                if (end > next && recordLen + partBytes + len > room()) break;
                partBytes += len;
                partPlain += blocks[end].plain;
                ++end;
            }
            const bool last = end == blocks.size();
            f.segment = static_cast<uint16_t>(segs.size());
            f.offset = static_cast<int32_t>(used());
            f.packedPartSize = static_cast<int32_t>(partBytes);
            f.flags = static_cast<uint8_t>(item.options.extraFileFlags | (item.folder ? kav::kFileFolder : 0) |
                                           (last ? kav::kFileLastPart : 0) |
                                           (item.options.encrypted ? kav::kFileEncrypted : 0));
            Segment& seg = segs.back();
            layout.segment = f.segment;
            layout.record = used();
            const std::string record = EncodeRecord(item.name, item.options, f, layout);
            for (int64_t* field : {&layout.date, &layout.size, &layout.packedPartSize, &layout.altName, &layout.tagCount})
                *field += layout.record;
            seg.body += record;
            for (size_t i = next; i < end; ++i) {
                layout.blocks.push_back(used());
                seg.body += blocks[i].bytes;
            }
            seg.records += 1;
            seg.packed += partBytes;
            totalPacked += partBytes;
            built.entries.push_back(layout);
            partOffset += partPlain;
            next = end;
            if (!last) segs.emplace_back();
            else break;
        } while (true);
    }

    const int32_t fileCount = static_cast<int32_t>(items.size());
    for (size_t i = 0; i < segs.size(); ++i) {
        const bool last = i + 1 == segs.size();
        kav::TArchiveHeader h;
        h.Signature = a.signature;
        h.Version = a.version;
        h.ArchiveID = a.archiveID;
        h.BlockSize = a.blockSize;
        h.Segment = static_cast<uint16_t>(i + 1);
        h.ArchiveFlags = static_cast<uint8_t>(a.extraFlags | (a.solid ? kav::kArchiveSolid : 0) |
                                              (last && a.lastSegmentFlag ? kav::kArchiveLastSegment : 0));
        h.SegmentInfo = {segs[i].records, 0.0, static_cast<double>(segs[i].packed)};
        h.ArchiveInfo = {fileCount, static_cast<double>(totalSize), static_cast<double>(totalPacked)};
        if (!last && !a.completeTotalsEverywhere) h.ArchiveInfo = h.SegmentInfo;
        h.UserData = a.userData;
        h.Comment = a.comment;
        h.EndOffset = static_cast<int32_t>(headerSize + static_cast<int64_t>(segs[i].body.size()));
        built.segments.push_back(kav::EncodeHeader(h) + segs[i].body);
    }
    return built;
}

std::string ArchiveBuilder::Bytes() const {
    BuiltArchive b = Build();
    if (b.segments.size() != 1) throw std::logic_error("kavmake: the archive has several segments");
    return std::move(b.segments[0]);
}

void ArchiveBuilder::WriteTo(const std::string& path) const {
    const BuiltArchive b = Build();
    const kav::ArchiveNameParts parts = kav::SplitArchiveName(path);
    for (size_t i = 0; i < b.segments.size(); ++i) {
        const std::string name = i == 0 ? path : kav::SegmentFileName(parts, static_cast<int>(i + 1));
        std::ofstream f(name, std::ios::binary | std::ios::trunc);
        f.write(b.segments[i].data(), static_cast<std::streamsize>(b.segments[i].size()));
        if (!f) throw std::runtime_error("kavmake: cannot write " + name);
    }
}

std::string AppendToExecutable(const std::string& prefix, const std::string& archive, int64_t offset,
                               const std::string& trailer) {
    std::string out = prefix;
    if (offset > static_cast<int64_t>(out.size())) out.resize(static_cast<size_t>(offset), '\0');
    out += archive;
    out.resize((out.size() + 7) / 8 * 8, '\0');
    return out + trailer;
}

std::string MixedData(size_t size, uint32_t seed) {
    static const char* const kWords[] = {"Contabilidad", "asiento", "cuenta", "ejercicio", "factura", "IVA",
                                         "balance", "saldo", "debe", "haber", "cliente", "proveedor"};
    std::string out;
    out.reserve(size + 64);
    uint32_t x = seed * 2654435761u + 1;
    auto next = [&] { x ^= x << 13; x ^= x >> 17; x ^= x << 5; return x; };
    while (out.size() < size) {
        const uint32_t r = next();
        switch (r % 8) {
        case 0: case 1: case 2: case 3:  // text
            out += kWords[(r >> 8) % 12];
            out += ' ';
            break;
        case 4: case 5:  // numbers
            out += std::to_string((r >> 4) % 100000) + ";";
            break;
        case 6:  // structured binary (records with small fields)
            for (int k = 0; k < 16; ++k) out += static_cast<char>(k < 8 ? (r >> k) & 0x0F : 0);
            break;
        default:  // incompressible run
            for (int k = 0; k < 24; ++k) out += static_cast<char>(next());
        }
    }
    out.resize(size);
    return out;
}

double DateFromCivil(int year, int month, int day, int hour, int minute, int second) {
    // Days from 1970-01-01 (Howard Hinnant's days_from_civil), shifted to 1899-12-30.
    const int y = year - (month <= 2);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const long days1970 = static_cast<long>(era) * 146097 + doe - 719468;
    return static_cast<double>(days1970 + 25569) + (hour * 3600 + minute * 60 + second) / 86400.0;
}

}  // namespace kavmake
