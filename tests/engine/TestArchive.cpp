#include "TestArchive.h"

#include <zlib.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "ArchiveCRC32.h"
#include "ArchiveFormat.h"
#include "Blowunit.h"

namespace kav::test {
namespace {

std::string Deflate(const std::string& plain) {
    uLongf n = compressBound(plain.size());
    std::string out(n, '\0');
    compress(reinterpret_cast<Bytef*>(out.data()), &n, reinterpret_cast<const Bytef*>(plain.data()), plain.size());
    out.resize(n);
    return out;
}

std::string Encrypt(const std::string& plain, const std::string& key) {
    std::string padded = plain;
    const size_t pad = (8 - plain.size() % 8) % 8;
    padded.append(pad, '\0');
    TBlowFish bf;
    bf.SetKey(key);
    bf.SetInputType(TSourceType::SourceByteArray);
    for (size_t at = 0; at < padded.size(); at += 4096) {
        size_t n = std::min<size_t>(4096, padded.size() - at);
        bf.SetInputPointer(padded.data() + at);
        bf.SetOutputPointer(padded.data() + at);
        bf.SetInputLength(static_cast<uint16_t>(n));
        bf.EncipherData(at != 0);
    }
    return padded + static_cast<char>(pad);
}

std::vector<std::string> Blocks(const FileRecipe& f, int32_t blockSize) {
    std::vector<std::string> blocks;
    for (size_t at = 0; at < f.data.size(); at += static_cast<size_t>(blockSize)) {
        std::string plain = f.data.substr(at, static_cast<size_t>(blockSize));
        // Data that does not shrink is stored, as producers do (a deflated
        // block would not fit the reader's input buffer).
        std::string deflated = f.stored ? std::string() : Deflate(plain);
        const bool stored = f.stored || deflated.size() >= plain.size();
        std::string body = stored ? plain : deflated;
        uint32_t crc = ArchiveCRC32(body.data(), body.size());
        if (!f.key.empty()) body = Encrypt(body, f.key);
        std::string b;
        PutInt32(b, stored ? -static_cast<int32_t>(body.size()) : static_cast<int32_t>(body.size()));
        PutInt32(b, static_cast<int32_t>(crc));
        blocks.push_back(b + body);
    }
    return blocks;
}

std::string EntryRecord(const FileRecipe& f, uint16_t segment, int32_t offset, int32_t partOffset, bool last,
                        int32_t packed) {
    std::string r;
    PutString(r, f.name);
    PutExtended(r, f.date);
    PutInt32(r, f.attr);
    PutUInt16(r, segment);
    PutInt32(r, offset);
    PutInt32(r, partOffset);
    PutByte(r, static_cast<uint8_t>((f.folder ? kFileFolder : 0) | (last ? kFileLastPart : 0) |
                                    (f.key.empty() ? 0 : kFileEncrypted)));
    PutInt32(r, static_cast<int32_t>(f.data.size()));
    PutInt32(r, 0);
    PutInt32(r, 0);
    PutInt32(r, packed);
    PutByte(r, f.type);
    PutString(r, f.altName);
    if (!f.altName.empty()) PutByte(r, f.altType);
    PutByte(r, 0);  // no tags
    return r;
}

struct Segment {
    std::string body;
    int32_t files = 0;
    double packed = 0;
};

}  // namespace

std::vector<std::string> BuildSegments(const ArchiveRecipe& recipe) {
    TArchiveHeader h;
    h.ArchiveID = recipe.archiveId;
    h.BlockSize = recipe.blockSize;
    h.Comment = recipe.comment;
    h.UserData = recipe.userData;
    const int32_t headerSize = HeaderSize(h);
    const int32_t limit = recipe.segmentData > 0 ? recipe.segmentData : INT32_MAX;

    std::vector<Segment> segments(1);
    auto at = [&] { return headerSize + static_cast<int32_t>(segments.back().body.size()); };
    for (const FileRecipe& f : recipe.files) {
        std::vector<std::string> blocks = Blocks(f, recipe.blockSize);
        size_t next = 0;
        int32_t partOffset = 0;
        do {
            // As many blocks as fit in this segment (at least one per part).
            const std::string probe = EntryRecord(f, 1, 0, 0, false, 0);
            int32_t room = limit - static_cast<int32_t>(segments.back().body.size()) - static_cast<int32_t>(probe.size());
            size_t end = next;
            int32_t packed = 0, plain = 0;
            while (end < blocks.size() && (end == next || packed + static_cast<int32_t>(blocks[end].size()) <= room)) {
                packed += static_cast<int32_t>(blocks[end].size());
                plain += static_cast<int32_t>(std::min<size_t>(f.data.size() - end * recipe.blockSize, recipe.blockSize));
                ++end;
            }
            const bool last = end == blocks.size();
            Segment& s = segments.back();
            s.body += EntryRecord(f, static_cast<uint16_t>(segments.size()), at(), partOffset, last, packed);
            for (size_t i = next; i < end; ++i) s.body += blocks[i];
            s.files += 1;
            s.packed += packed;
            partOffset += plain;
            next = end;
            if (!last) segments.emplace_back();
        } while (next < blocks.size());
    }

    double total = 0;
    int32_t files = 0;
    for (const Segment& s : segments) total += s.packed, files += s.files;
    std::vector<std::string> out;
    for (size_t i = 0; i < segments.size(); ++i) {
        TArchiveHeader sh = h;
        sh.Segment = static_cast<uint16_t>(i + 1);
        sh.EndOffset = headerSize + static_cast<int32_t>(segments[i].body.size());
        const bool lastSegment = i + 1 == segments.size();
        sh.ArchiveFlags = static_cast<uint8_t>(recipe.flags | (lastSegment ? kArchiveLastSegment : 0));
        sh.SegmentInfo.FileCount = segments[i].files;
        sh.SegmentInfo.PackedSize = segments[i].packed;
        sh.ArchiveInfo.FileCount = files;
        sh.ArchiveInfo.PackedSize = total;
        if (i == 0 && recipe.incompleteFirstTotals && !lastSegment) sh.ArchiveInfo = sh.SegmentInfo;
        out.push_back(EncodeHeader(sh) + segments[i].body);
    }
    return out;
}

std::string BuildSolid(const ArchiveRecipe& inner, const std::string& name) {
    ArchiveRecipe outer;
    outer.archiveId = inner.archiveId + 1;
    outer.blockSize = inner.blockSize;
    outer.flags = kArchiveSolid;
    outer.files.push_back(FileRecipe{name, BuildArchive(inner)});
    return BuildArchive(outer);
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace kav::test
