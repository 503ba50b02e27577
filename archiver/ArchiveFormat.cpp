#include "ArchiveFormat.h"

#include <algorithm>

#include "Stream.h"
#include "TextCodec.h"
#include "platform/DateConvert.h"

namespace kav {
namespace {

void ReadInfo(Stream& s, TArchiveInfo& info) {
    info.FileCount = ReadInt32(s);
    info.Reserved = ReadExtended(s);
    info.PackedSize = ReadExtended(s);
}

void PutInfo(std::string& out, const TArchiveInfo& info) {
    PutInt32(out, info.FileCount);
    PutExtended(out, info.Reserved);
    PutExtended(out, info.PackedSize);
}

}  // namespace

int32_t HeaderSize(const TArchiveHeader& h) {
    return kHeaderFixedSize + static_cast<int32_t>(text::Utf8ToAnsi(h.Comment).size());
}

bool ReadHeader(Stream& s, TArchiveHeader& h, int32_t signature) {
    h.Signature = ReadInt32(s);
    if (h.Signature != signature) return false;
    h.Version = ReadInt32(s);
    h.ArchiveID = ReadInt32(s);
    h.BlockSize = ReadInt32(s);
    h.EndOffset = ReadInt32(s);
    h.Segment = static_cast<uint16_t>(ReadInt32(s));
    h.ArchiveFlags = ReadByte(s);
    ReadInfo(s, h.ArchiveInfo);
    ReadInfo(s, h.SegmentInfo);
    s.ReadBuffer(h.UserData.Bytes.data(), h.UserData.Bytes.size());
    s.ReadBuffer(h.Reserved.data(), h.Reserved.size());
    h.Comment = ReadString(s, kMaxCommentLength);
    return true;
}

void CheckHeader(const TArchiveHeader& h) {
    if (h.Version > 1) throw Exception(kMsgUnknownVersion);
    if (h.BlockSize <= 0 || h.BlockSize > kMaxBlockSize || h.EndOffset < HeaderSize(h)) RaiseDamaged();
}

void ReadAndCheckHeader(Stream& s, TArchiveHeader& h, const std::string& fileName, int32_t signature) {
    if (!ReadHeader(s, h, signature)) {
        throw EArchiver(FormatText(kMsgBadSignature, {fileName}));
    }
    CheckHeader(h);
}

std::string EncodeHeader(const TArchiveHeader& h) {
    std::string out;
    PutInt32(out, h.Signature);
    PutInt32(out, h.Version);
    PutInt32(out, h.ArchiveID);
    PutInt32(out, h.BlockSize);
    PutInt32(out, h.EndOffset);
    PutInt32(out, h.Segment);
    PutByte(out, h.ArchiveFlags);
    PutInfo(out, h.ArchiveInfo);
    PutInfo(out, h.SegmentInfo);
    out.append(reinterpret_cast<const char*>(h.UserData.Bytes.data()), h.UserData.Bytes.size());
    out.append(reinterpret_cast<const char*>(h.Reserved.data()), h.Reserved.size());
    PutString(out, h.Comment);
    return out;
}

std::string EncodeFileEntry(const TFileEntry& e) {
    std::string r;
    PutString(r, e.Name);
    PutExtended(r, e.Date);
    PutInt32(r, e.Attr);
    PutUInt16(r, e.Segment);
    PutInt32(r, e.Offset);
    PutInt32(r, e.PartOffset);
    PutByte(r, e.FileFlags);
    PutInt32(r, e.Size);
    PutInt32(r, e.Reserved1);
    PutInt32(r, e.Reserved2);
    PutInt32(r, e.PackedPartSize);
    PutByte(r, e.FileType);
    PutString(r, e.AltName);
    if (!e.AltName.empty()) PutByte(r, e.AltFileType);
    const uint8_t tags = std::min<uint8_t>(e.TagCount, kMaxTags);
    PutByte(r, tags);
    r.append(reinterpret_cast<const char*>(e.Tags.data()), tags);
    return r;
}

void ReadFileEntry(Stream& s, TFileEntry& e) {
    e.Name = ReadString(s, kMaxNameLength);
    e.Date = ReadExtended(s);
    e.Attr = ReadInt32(s);
    e.Segment = ReadUInt16(s);
    e.Offset = ReadInt32(s);
    e.PartOffset = ReadInt32(s);
    e.FileFlags = ReadByte(s);
    e.Size = ReadInt32(s);
    e.Reserved1 = ReadInt32(s);
    e.Reserved2 = ReadInt32(s);
    e.PackedPartSize = ReadInt32(s);
    e.FileType = ReadByte(s);
    e.AltName = ReadString(s, kMaxNameLength);
    e.AltFileType = e.AltName.empty() ? 0 : ReadByte(s);
    e.TagCount = ReadByte(s);
    if (e.TagCount > kMaxTags) RaiseDamaged();
    e.Tags.fill(0);
    s.ReadBuffer(e.Tags.data(), e.TagCount);
    // Sizes and positions are never negative, the packed data must lie
    // inside the file, and a date names a moment of the years 1 to 9999
    // (NaN fails the comparison).
    if (e.Size < 0 || e.PartOffset < 0 || e.Offset < 0 || e.PackedPartSize < 0 ||
        e.PackedPartSize > s.Remaining() || !(e.Date >= os::kFirstDate && e.Date < os::kEndDate))
        RaiseDamaged();
}

}  // namespace kav
