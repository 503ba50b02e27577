// Damaged archives, read by the extraction engine: every structurally
// impossible value gives a clear error, never a read or write outside a
// buffer (the ASan run checks that) and never an allocation sized by the
// file; testing an archive ends exactly as extracting it does.
#include <gtest/gtest.h>

#include <functional>

#include "ReadSupport.h"

namespace kav {
namespace {

using kavmake::ArchiveBuilder;
using kavmake::BuiltArchive;
using kavmake::FileOptions;
using kavmake::Packing;
using testing::ReadError;

void PutAt(std::string& bytes, int64_t at, int32_t v) {
    for (int i = 0; i < 4; ++i) bytes[static_cast<size_t>(at + i)] = static_cast<char>(static_cast<uint32_t>(v) >> (8 * i));
}

const std::string kDamaged = std::string("EArchiver: ") + kMsgDamaged;
const std::string kRead = std::string("Read: ") + kMsgReadError;
const std::string kBadCRC = std::string("BadCRC: ") + kMsgBadCRC;
const std::string kUncompress = std::string("Uncompress: ") + kMsgCouldNotUncompressBlock;
const std::string kAskForSegment = "prompt: Introduzca Directorio del archivo.";

// One archive with a file that has an AltName, tags and two blocks.
BuiltArchive Sample(const FileOptions& extra = {}) {
    ArchiveBuilder b({.blockSize = 1024, .key = "clave de prueba"});
    FileOptions o = extra;
    o.altName = "alt\\b.txt";
    o.tags = {1, 2};
    b.AddFile("dir\\a.txt", kavmake::MixedData(1500), o);
    b.AddFile("z.txt", "fin");
    return b.Build();
}

TEST(HostileArchive, ImpossibleValuesAreReportedAsDamage) {
    using Patch = std::function<void(std::string&, const kavmake::EntryLayout&)>;
    struct Case { const char* what; FileOptions options; Patch patch; std::string error; };
    const Case cases[] = {
        {"name length negative", {}, [](auto& s, auto& e) { PutAt(s, e.record, -1); }, kDamaged},
        {"name length INT32_MIN", {}, [](auto& s, auto& e) { PutAt(s, e.record, INT32_MIN); }, kDamaged},
        {"name length above the cap", {}, [](auto& s, auto& e) { PutAt(s, e.record, kMaxNameLength + 1); }, kDamaged},
        {"name length past the end", {}, [](auto& s, auto& e) { PutAt(s, e.record, static_cast<int32_t>(s.size())); }, kDamaged},
        {"AltName length negative", {}, [](auto& s, auto& e) { PutAt(s, e.altName, -5); }, kDamaged},
        {"TagCount 11", {}, [](auto& s, auto& e) { s[e.tagCount] = 11; }, kDamaged},
        {"TagCount 255", {}, [](auto& s, auto& e) { s[e.tagCount] = '\xFF'; }, kDamaged},
        {"PackedPartSize negative", {}, [](auto& s, auto& e) { PutAt(s, e.packedPartSize, -8); }, kDamaged},
        {"PackedPartSize past the end", {}, [](auto& s, auto& e) { PutAt(s, e.packedPartSize, 1 << 30); }, kDamaged},
        {"PackedPartSize cuts a block", {}, [](auto& s, auto& e) { PutAt(s, e.packedPartSize, 9); }, kDamaged},
        {"Size negative", {}, [](auto& s, auto& e) { PutAt(s, e.size, -1); }, kDamaged},
        {"Size smaller than the data", {}, [](auto& s, auto& e) { PutAt(s, e.size, 1000); }, kDamaged},
        {"Size larger than the data", {}, [](auto& s, auto& e) { PutAt(s, e.size, 2000); }, kDamaged},
        {"block longer than the input buffer", {}, [](auto& s, auto& e) { PutAt(s, e.blocks[0], 1024 + 10 + 1); }, kDamaged},
        {"stored block longer than the input buffer", {}, [](auto& s, auto& e) { PutAt(s, e.blocks[0], -(1 << 30)); }, kDamaged},
        {"block length INT32_MIN", {}, [](auto& s, auto& e) { PutAt(s, e.blocks[0], INT32_MIN); }, kDamaged},
        {"encrypted block length-1 not a multiple of 8", {.encrypted = true},
         [](auto& s, auto& e) { PutAt(s, e.blocks[0], -3); }, kDamaged},
        {"encrypted padding count 8", {.packing = Packing::Stored, .encrypted = true},
         [](auto& s, auto& e) { s[e.blocks[1] + 8 + (1500 - 1024 + 7) / 8 * 8] = 8; }, kDamaged},
        {"block checksum", {.fault = kavmake::Fault::WrongCrc}, [](auto&, auto&) {}, kBadCRC},
        {"standard CRC-32", {.fault = kavmake::Fault::StandardCrc}, [](auto&, auto&) {}, kBadCRC},
        {"compressed data flipped", {.packing = Packing::Compressed},
         [](auto& s, auto& e) { s[e.blocks[0] + 12] ^= 0x55; }, kBadCRC},
        {"stored block marked compressed", {.packing = Packing::Stored},
         [](auto& s, auto& e) { PutAt(s, e.blocks[0], 1024); }, kUncompress},
    };
    for (const auto& c : cases) {
        BuiltArchive a = Sample(c.options);
        if (c.options.fault == kavmake::Fault::None) {
            ASSERT_EQ(ReadError(a.segments, "clave de prueba"), "") << c.what;
        }
        c.patch(a.segments[0], a.entries[0]);
        EXPECT_EQ(ReadError(a.segments, "clave de prueba"), c.error) << c.what;
    }
}

TEST(HostileArchive, EveryTruncationFailsCleanly) {
    for (const FileOptions& o : {FileOptions{}, FileOptions{.encrypted = true}}) {
        const std::string full = Sample(o).segments[0];
        for (size_t n = 0; n < full.size(); ++n) {
            std::string cut = full.substr(0, n);
            const std::string error = ReadError({cut}, "clave de prueba");
            // Short of the header: the read error. After it, a record or
            // block cut short: the read error, or damage when a length
            // points past the end.
            if (n < 268) EXPECT_EQ(error, kRead) << n;
            else EXPECT_TRUE(error == kRead || error == kDamaged) << n << ": " << error;
        }
    }
}

TEST(HostileArchive, NamesThatReachOutsideAreRefused) {
    for (const std::string name : {"..\\fuera.txt", "a\\..\\..\\b.txt", "dir\\a:b.txt"}) {
        ArchiveBuilder b;
        b.AddFile(name, "x");
        EXPECT_EQ(ReadError({b.Bytes()}), "EArchiver: Nombre de archivo no permitido en el archivo: \"" + name + "\"")
            << name;
        ArchiveBuilder alt;
        alt.AddFile("bien.txt", "x", {.altName = name});
        EXPECT_NE(ReadError({alt.Bytes()}), "") << name;
    }
}

TEST(HostileArchive, SegmentSequenceIsChecked) {
    ArchiveBuilder b({.blockSize = 1024, .segmentSize = 1500});
    b.AddFile("partido.bin", kavmake::MixedData(3000), {.packing = Packing::Stored});
    const BuiltArchive good = b.Build();
    ASSERT_GE(good.segments.size(), 2u);
    struct Case { const char* what; std::function<void(BuiltArchive&)> change; std::string error; };
    const Case cases[] = {
        {"continuation with another name",
         [](BuiltArchive& a) { a.segments[1][a.entries[1].record + 4] ^= 0x20; },
         std::string("EArchiver: ") + kMsgWrongNextSegment},
        {"continuation with another size", [](BuiltArchive& a) { PutAt(a.segments[1], a.entries[1].size, 2999); },
         std::string("EArchiver: ") + kMsgWrongNextSegment},
        {"continuation with another date", [](BuiltArchive& a) { a.segments[1][a.entries[1].date + 6] ^= 1; },
         std::string("EArchiver: ") + kMsgWrongNextSegment},
        // A segment that is not the next one: the user is asked for it.
        {"segment of another archive", [](BuiltArchive& a) { PutAt(a.segments[1], 8, 1234); }, kAskForSegment},
        {"segment numbered wrongly", [](BuiltArchive& a) { PutAt(a.segments[1], 20, 3); }, kAskForSegment},
        {"segment missing", [](BuiltArchive& a) { a.segments.resize(1); }, kAskForSegment},
        {"last-segment flag nowhere", [](BuiltArchive& a) { a.segments.back()[24] &= ~kArchiveLastSegment; },
         kAskForSegment},
    };
    for (const auto& c : cases) {
        BuiltArchive a = good;
        c.change(a);
        EXPECT_EQ(ReadError(a.segments), c.error) << c.what;
    }
}

}  // namespace
}  // namespace kav
