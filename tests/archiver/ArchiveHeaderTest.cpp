#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "ArchiveFormat.h"
#include "Stream.h"

namespace kav {
namespace {

TArchiveHeader Sample() {
    TArchiveHeader h;
    h.ArchiveID = 0x01020304;
    h.BlockSize = 65536;
    h.Segment = 3;
    h.ArchiveFlags = kArchiveLastSegment | 0x02;
    h.ArchiveInfo = {7, 123.0, 45678.0};
    h.SegmentInfo = {2, 0.0, 999.0};
    for (int i = 0; i < kUserDataSize; ++i) h.UserData.Bytes[i] = static_cast<uint8_t>(i);
    h.Reserved[62] = 0xAB;
    h.Comment = "Versión 2024";  // ó is one byte in the file
    h.EndOffset = HeaderSize(h);
    return h;
}

int32_t Int32At(const std::string& b, size_t at) {
    return static_cast<int32_t>(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8 | uint8_t(b[at + 2]) << 16 |
                                uint32_t(uint8_t(b[at + 3])) << 24);
}

TEST(ArchiveHeader, StoredLayoutAndRoundTrip) {
    const TArchiveHeader h = Sample();
    const std::string bytes = EncodeHeader(h);
    ASSERT_EQ(bytes.size(), 268u + 12u);
    EXPECT_EQ(HeaderSize(h), 280);
    EXPECT_EQ(Int32At(bytes, 0), 4664);
    EXPECT_EQ(Int32At(bytes, 20), 3);                 // Segment stored as int32
    EXPECT_EQ(uint8_t(bytes[24]), 0x12);              // ArchiveFlags
    EXPECT_EQ(Int32At(bytes, 25), 7);                 // ArchiveInfo.FileCount
    EXPECT_EQ(Int32At(bytes, 49), 2);                 // SegmentInfo.FileCount
    EXPECT_EQ(uint8_t(bytes[73 + 5]), 5);             // UserData
    EXPECT_EQ(uint8_t(bytes[201 + 62]), 0xAB);        // last reserved byte
    EXPECT_EQ(Int32At(bytes, 264), 12);               // comment length
    EXPECT_EQ(bytes.substr(268), "Versi\xF3n 2024");  // Windows-1252

    MemoryStream s(bytes.data(), bytes.size());
    TArchiveHeader back;
    ASSERT_TRUE(ReadHeader(s, back));
    EXPECT_EQ(s.Position(), 280);
    EXPECT_EQ(EncodeHeader(back), bytes);
    EXPECT_EQ(back.Comment, h.Comment);
    EXPECT_EQ(back.ArchiveInfo.PackedSize, 45678.0);
}

TEST(ArchiveHeader, OpenChecks) {
    struct Case { const char* what; std::function<void(TArchiveHeader&)> change; std::string error; };
    const std::string badSignature = "Firma Erronea: el archivo \"QTR.KAV\" no es valido";
    const Case cases[] = {
        {"well formed", [](TArchiveHeader&) {}, ""},
        {"version 0", [](TArchiveHeader& h) { h.Version = 0; }, ""},
        {"negative version", [](TArchiveHeader& h) { h.Version = -1; }, ""},
        {"version 2", [](TArchiveHeader& h) { h.Version = 2; }, "plain: Versión desconocida"},
        {"other signature", [](TArchiveHeader& h) { h.Signature = 4665; }, "EArchiver: " + badSignature},
        {"block size 0", [](TArchiveHeader& h) { h.BlockSize = 0; }, std::string("EArchiver: ") + kMsgDamaged},
        {"block size negative", [](TArchiveHeader& h) { h.BlockSize = -65536; }, std::string("EArchiver: ") + kMsgDamaged},
        {"block size huge", [](TArchiveHeader& h) { h.BlockSize = 0x7FFFFFFF; }, std::string("EArchiver: ") + kMsgDamaged},
        {"end inside the header", [](TArchiveHeader& h) { h.EndOffset = 100; }, std::string("EArchiver: ") + kMsgDamaged},
    };
    for (const auto& c : cases) {
        TArchiveHeader h = Sample();
        c.change(h);
        const std::string bytes = EncodeHeader(h);
        MemoryStream s(bytes.data(), bytes.size());
        TArchiveHeader back;
        std::string error;
        try {
            ReadAndCheckHeader(s, back, "QTR.KAV");
        } catch (const EArchiver& e) {
            error = std::string("EArchiver: ") + e.what();
        } catch (const Exception& e) {
            error = std::string("plain: ") + e.what();
        }
        EXPECT_EQ(error, c.error) << c.what;
    }
}

TEST(ArchiveHeader, TruncatedOrImpossibleComment) {
    const std::string bytes = EncodeHeader(Sample());
    // Every cut gives the stream's read error or damage, never more.
    for (size_t n = 0; n < bytes.size(); ++n) {
        MemoryStream s(bytes.data(), n);
        TArchiveHeader h;
        try {
            ReadHeader(s, h);
            ADD_FAILURE() << "cut at " << n << " was accepted";
        } catch (const EReadError&) {
            EXPECT_LT(n, 268u) << n;
        } catch (const EArchiver& e) {
            EXPECT_GE(n, 268u) << n;  // the comment's length runs past the end
            EXPECT_STREQ(e.what(), kMsgDamaged);
        }
    }
    for (int32_t length : {-1, INT32_MIN, kMaxCommentLength + 1, 13 /* one past the end */}) {
        std::string b = bytes;
        b[264] = static_cast<char>(length);
        b[265] = static_cast<char>(length >> 8);
        b[266] = static_cast<char>(length >> 16);
        b[267] = static_cast<char>(length >> 24);
        MemoryStream s(b.data(), b.size());
        TArchiveHeader h;
        EXPECT_THROW(ReadHeader(s, h), EArchiver) << length;
    }
}

}  // namespace
}  // namespace kav
