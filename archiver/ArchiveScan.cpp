#include "ArchiveScan.h"

#include "ArchiveFormat.h"
#include "BlockDecoder.h"
#include "Blowunit.h"
#include "Stream.h"

namespace kav {

std::string SegmentFileName(const std::string& archive, int n) {
    if (n == 1) return archive;
    const size_t slash = archive.find_last_of("/\\");
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = archive.rfind('.');
    std::string base = dot != std::string::npos && dot >= nameStart ? archive.substr(0, dot) : archive;
    size_t k = base.size();
    while (k > nameStart && base[k - 1] >= '0' && base[k - 1] <= '9') --k;
    if (k < base.size() && k > nameStart && base[k - 1] == '-') base.resize(k - 1);
    std::string ext = std::to_string(n - 1);
    if (ext.size() < 3) ext.insert(0, 3 - ext.size(), '0');
    return base + "." + ext;
}

std::unique_ptr<Stream> FileSegments::Open(int segment) {
    const std::string name = Name(segment);
    if (segment > 1) {
        try {
            return FileStream::OpenRead(name);
        } catch (const Exception&) {
            return nullptr;  // a missing later segment is reported by the scan
        }
    }
    return FileStream::OpenRead(name);
}

std::unique_ptr<Stream> MemorySegments::Open(int segment) {
    if (segment < 1 || static_cast<size_t>(segment) > segments_.size()) return nullptr;
    const std::string& s = segments_[static_cast<size_t>(segment) - 1];
    return std::make_unique<MemoryStream>(s.data(), s.size());
}

namespace {

class Scanner : private BlockTransforms {
public:
    Scanner(SegmentSource& source, ScanVisitor& visitor, const ScanOptions& options)
        : source_(source), visitor_(visitor), options_(options) {
        cipher_.SetInputType(TSourceType::SourceByteArray);
        cipher_.SetKey(options.key);
    }

    void Run(bool allowSolid) {
        OpenSegment(1);
        std::vector<uint8_t> inner;  // a solid archive's content
        const bool solid = allowSolid && (header_.ArchiveFlags & kArchiveSolid) && header_.SegmentInfo.FileCount > 0;
        for (;;) {
            if (stream_->Position() >= end_) {
                if (header_.ArchiveFlags & kArchiveLastSegment) break;
                NextSegment();
                continue;
            }
            TFileEntry entry;
            ReadEntry(entry);
            ReadParts(entry, solid ? &inner : nullptr);
            // A solid archive's first entry is the container of the real
            // ones, and the outer archive carries nothing else for the reader.
            if (solid) break;
            visitor_.Entry(entry);
        }
        if (solid) {
            MemorySegments innerSource({std::string(inner.begin(), inner.end())});
            Scanner(innerSource, visitor_, options_).Run(false);
        }
    }

private:
    size_t DecryptBlock(uint8_t* data, size_t n) override { return DecipherStoredBlock(cipher_, data, n); }

    void OpenSegment(int n) {
        stream_ = source_.Open(n);
        if (!stream_)
            throw EArchiver(FormatText(kMsgMissingSegment, {std::to_string(n), source_.Name(1)}));
        const int64_t start = source_.StartOffset(n);
        stream_->Seek(start);
        TArchiveHeader h;
        ReadAndCheckHeader(*stream_, h, source_.Name(n), options_.signature);
        if (n > 1 && (h.ArchiveID != header_.ArchiveID || h.Segment != n))
            throw EArchiver(FormatText(kMsgWrongSegment, {std::to_string(n), source_.Name(1)}));
        header_ = h;
        segment_ = n;
        end_ = start + h.EndOffset;
        if (end_ > stream_->Size()) RaiseDamaged();
        // Buffers follow the largest BlockSize met (each header is checked).
        const size_t want = BlockInputCapacity(h.BlockSize);
        if (input_.size() < want) input_.resize(want);
        if (output_.size() < static_cast<size_t>(h.BlockSize)) output_.resize(static_cast<size_t>(h.BlockSize));
        blockSize_ = static_cast<size_t>(h.BlockSize);
        visitor_.Header(h);
    }

    void NextSegment() {
        if (segment_ >= 65535) RaiseDamaged();
        OpenSegment(segment_ + 1);
    }

    void ReadEntry(TFileEntry& e) {
        ReadFileEntry(*stream_, e);
        if (e.PackedPartSize > end_ - stream_->Position()) RaiseDamaged();
    }

    // Reads every part of the file whose first record is `e`; at the end `e`
    // carries the last part's flags.
    void ReadParts(TFileEntry& e, std::vector<uint8_t>* keep) {
        int64_t written = 0;
        for (;;) {
            if (!(e.FileFlags & kFileFolder)) ReadPart(e, written, keep);
            if ((e.FileFlags & kFileLastPart) || (e.FileFlags & kFileFolder)) break;
            // The file goes on at the start of the next segment's data.
            if (stream_->Position() < end_) RaiseDamaged();
            NextSegment();
            TFileEntry next;
            ReadEntry(next);
            if (next.Name != e.Name || next.Size != e.Size || next.Date != e.Date)
                throw EArchiver(kMsgWrongNextSegment);
            if (next.PartOffset != written && (options_.readData || keep)) RaiseDamaged();
            e.FileFlags = next.FileFlags;
            e.PackedPartSize = next.PackedPartSize;
        }
        if ((options_.readData || keep) && written != e.Size && !(e.FileFlags & kFileFolder)) RaiseDamaged();
    }

    void ReadPart(const TFileEntry& e, int64_t& written, std::vector<uint8_t>* keep) {
        if (!options_.readData && !keep) {  // a solid container is always read
            stream_->Skip(e.PackedPartSize);
            return;
        }
        const BlockBuffers buffers{input_.data(), input_.size(), output_.data(), blockSize_};
        const bool encrypted = (e.FileFlags & kFileEncrypted) != 0;
        int64_t consumed = 0;
        while (consumed < e.PackedPartSize) {
            const DecodedBlock b = DecodeBlock(*stream_, buffers, encrypted, *this);
            consumed += b.consumed;
            written += static_cast<int64_t>(b.size);
            // A block running over its part, or more bytes than the file has.
            if (consumed > e.PackedPartSize || written > e.Size) RaiseDamaged();
            if (keep) keep->insert(keep->end(), b.data, b.data + b.size);
            else visitor_.Data(e, b.data, b.size);
        }
    }

    SegmentSource& source_;
    ScanVisitor& visitor_;
    const ScanOptions& options_;
    TBlowFish cipher_;
    std::unique_ptr<Stream> stream_;
    TArchiveHeader header_;
    int segment_ = 0;
    int64_t end_ = 0;
    std::vector<uint8_t> input_, output_;
    size_t blockSize_ = 0;
};

}  // namespace

void ScanArchive(SegmentSource& source, ScanVisitor& visitor, const ScanOptions& options) {
    Scanner(source, visitor, options).Run(true);
}

}  // namespace kav
