#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "ArchiveFormat.h"
#include "Description.h"
#include "ReadSupport.h"
#include "Stream.h"

namespace kav {
namespace {

using kavmake::ArchiveBuilder;
using kavmake::ArchiveOptions;
using kavmake::FileOptions;
using kavmake::Packing;
using testing::Read;
using testing::ReadError;

TEST(ArchiveRead, EmptyArchiveIsOneHeader) {
    const std::string bytes = ArchiveBuilder().Bytes();
    ASSERT_EQ(bytes.size(), 268u);
    const auto seen = Read({bytes});
    ASSERT_EQ(seen.headers.size(), 1u);
    EXPECT_EQ(seen.headers[0].EndOffset, 268);
    EXPECT_EQ(seen.headers[0].ArchiveFlags, kArchiveLastSegment);
    EXPECT_TRUE(seen.entries.empty());
}

TEST(ArchiveRead, EntryRecordLayoutIsPinned) {
    // Recipe: one stored file "a\\b.txt" with "xyz", date 1.5, attr 0x21,
    // FileType 3, AltName "c.txt" type 4, tags 7 8.
    ArchiveBuilder b;
    b.AddFile("a\\b.txt", "xyz", {.date = 1.5, .attr = 0x21, .fileType = 3, .altName = "c.txt",
                                  .altFileType = 4, .tags = {7, 8}, .packing = Packing::Stored});
    const std::string bytes = b.Bytes();
    const char expected[] =
        "\x07\x00\x00\x00" "a\\b.txt"                         // Name
        "\x00\x00\x00\x00\x00\x00\x00\xC0\xFF\x3F"            // Date 1.5
        "\x21\x00\x00\x00" "\x01\x00"                         // Attr, Segment
        "\x0C\x01\x00\x00" "\x00\x00\x00\x00" "\x04"          // Offset 268, PartOffset, FileFlags
        "\x03\x00\x00\x00" "\x00\x00\x00\x00" "\x00\x00\x00\x00"  // Size, Reserved1, Reserved2
        "\x0B\x00\x00\x00" "\x03"                             // PackedPartSize, FileType
        "\x05\x00\x00\x00" "c.txt" "\x04"                     // AltName, AltFileType
        "\x02\x07\x08"                                        // TagCount, Tags
        "\xFD\xFF\xFF\xFF";                                   // block: L = -3 ...
    ASSERT_GE(bytes.size(), 268 + sizeof expected - 1);
    EXPECT_EQ(bytes.substr(268, sizeof expected - 1), std::string(expected, sizeof expected - 1));
}

TEST(ArchiveRead, EntriesAndContentRoundTrip) {
    ArchiveBuilder b({.blockSize = 4096, .key = "clave de prueba"});
    const std::string multi = kavmake::MixedData(3 * 4096 + 100);
    struct Case { std::string name; std::string content; FileOptions options; };
    const std::vector<Case> cases = {
        {"Programa\\CONTA.EXE", multi, {.attr = 0x21, .fileType = 1}},
        {"stored.bin", "abcde", {.packing = Packing::Stored}},
        {"comprimido.bin", kavmake::MixedData(5000, 7), {.packing = Packing::Compressed}},
        {"cifrado.txt", multi, {.encrypted = true}},
        {"cifrado guardado.txt", "trece bytes!!", {.packing = Packing::Stored, .encrypted = true}},
        {"vacío.txt", "", {}},
        {"Año\\señal€.txt", "ñ", {.fileType = 6}},
        {"doble.dll", "dos nombres", {.fileType = 2, .altName = "Sistema\\doble.dll", .altFileType = 5}},
        {"etiquetas.dat", "t", {.tags = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}}},
    };
    for (const auto& c : cases) b.AddFile(c.name, c.content, c.options);
    b.AddFolder("Datos\\Vacia\\");
    const auto seen = Read({b.Bytes()}, "clave de prueba");
    ASSERT_EQ(seen.entries.size(), cases.size() + 1);
    for (size_t i = 0; i < cases.size(); ++i) {
        const TFileEntry& e = seen.entries[i];
        const Case& c = cases[i];
        EXPECT_EQ(e.Name, c.name);
        EXPECT_EQ(seen.content.count(c.name) ? seen.content.at(c.name) : "", c.content) << c.name;
        EXPECT_EQ(e.Size, static_cast<int32_t>(c.content.size())) << c.name;
        EXPECT_EQ(e.Attr, c.options.attr) << c.name;
        EXPECT_EQ(e.Date, c.options.date) << c.name;
        EXPECT_EQ(e.FileType, c.options.fileType) << c.name;
        EXPECT_EQ(e.AltName, c.options.altName) << c.name;
        EXPECT_EQ(e.AltFileType, c.options.altFileType) << c.name;
        EXPECT_EQ(e.TagCount, c.options.tags.size()) << c.name;
        EXPECT_TRUE(std::equal(c.options.tags.begin(), c.options.tags.end(), e.Tags.begin())) << c.name;
        EXPECT_EQ(e.FileFlags, kFileLastPart | (c.options.encrypted ? kFileEncrypted : 0)) << c.name;
        EXPECT_EQ(e.Segment, 1) << c.name;
        EXPECT_EQ(e.PartOffset, 0) << c.name;
    }
    EXPECT_EQ(seen.entries.back().FileFlags, kFileFolder | kFileLastPart);
    EXPECT_EQ(seen.entries[0].Offset, 268);
    EXPECT_EQ(seen.headers[0].ArchiveInfo.FileCount, static_cast<int32_t>(cases.size() + 1));

    // The key decides: without it, the first encrypted block fails as a wrong key.
    EXPECT_EQ(ReadError({b.Bytes()}, "otra clave"), std::string("BadKey: ") + kMsgBadKey);
}

TEST(ArchiveRead, SegmentsSplitFilesAndCarryTotals) {
    ArchiveOptions o{.blockSize = 1024, .segmentSize = 3000, .completeTotalsEverywhere = false};
    ArchiveBuilder b(o);
    const std::string big = kavmake::MixedData(9000, 3);
    b.AddFile("uno.txt", "primero");
    b.AddFile("grande.bin", big, {.packing = Packing::Stored});
    b.AddFile("ultimo.txt", "fin");
    const kavmake::BuiltArchive built = b.Build();
    ASSERT_GE(built.segments.size(), 4u);
    for (const auto& s : built.segments) EXPECT_LE(s.size(), 3000u);

    const auto seen = Read(built.segments);
    ASSERT_EQ(seen.entries.size(), 3u);
    EXPECT_EQ(seen.content.at("grande.bin"), big);
    EXPECT_EQ(seen.content.at("ultimo.txt"), "fin");
    ASSERT_EQ(seen.headers.size(), built.segments.size());
    const TArchiveHeader& first = seen.headers.front();
    const TArchiveHeader& last = seen.headers.back();
    EXPECT_FALSE(first.ArchiveFlags & kArchiveLastSegment);
    EXPECT_TRUE(last.ArchiveFlags & kArchiveLastSegment);
    // Only the last segment has the complete totals; the first's send the
    // reader looking for it.
    EXPECT_LE(first.ArchiveInfo.PackedSize, first.SegmentInfo.PackedSize);
    double packed = 0;
    for (const auto& h : seen.headers) packed += h.SegmentInfo.PackedSize;
    EXPECT_EQ(last.ArchiveInfo.PackedSize, packed);
    EXPECT_EQ(last.ArchiveInfo.FileCount, 3);

    // Continuation records: same Name, Size and Date; PartOffset counts the
    // bytes stored before; only the final part has the last-part flag.
    int parts = 0;
    for (const auto& e : built.entries) {
        MemoryStream s(built.segments[e.segment - 1].data(), built.segments[e.segment - 1].size());
        s.Seek(e.record);
        TFileEntry rec;
        ReadFileEntry(s, rec);
        if (rec.Name != "grande.bin") continue;
        EXPECT_EQ(rec.Segment, e.segment);
        EXPECT_EQ(rec.Offset, e.record);
        EXPECT_EQ(rec.PartOffset % 1024, 0);
        EXPECT_EQ(rec.Size, 9000);
        ++parts;
    }
    EXPECT_GE(parts, 3);
}

TEST(ArchiveRead, SolidArchiveCarriesAnInnerArchive) {
    ArchiveBuilder b({.solid = true});
    b.AddFile("a.txt", "contenido a");
    b.AddFile("b.txt", kavmake::MixedData(70000));
    const auto built = b.Build();
    const auto seen = Read(built.segments);
    ASSERT_EQ(seen.headers.size(), 1u);
    EXPECT_TRUE(seen.headers[0].ArchiveFlags & kArchiveSolid);
    EXPECT_FALSE(seen.opened.ArchiveFlags & kArchiveSolid);  // the inner archive, read after Open
    ASSERT_EQ(seen.entries.size(), 2u);  // the inner entries, not their container
    EXPECT_EQ(seen.entries[0].Name, "a.txt");
    EXPECT_EQ(seen.content.at("b.txt"), kavmake::MixedData(70000));
}

TEST(ArchiveRead, ArchiveAppendedToAnExecutable) {
    ArchiveBuilder b({.extraFlags = 0x02});
    b.AddFile("x.txt", "dentro del ejecutable");
    const std::string exe = kavmake::AppendToExecutable("MZ programa", b.Bytes(), 4096, "CERTIFICADO");
    EXPECT_EQ(exe.size() % 8, 11u % 8);  // archive padded to 8, then the trailer
    const auto seen = Read({exe}, {}, 4096);  // read as the installer reads itself
    EXPECT_EQ(seen.content.at("x.txt"), "dentro del ejecutable");
    EXPECT_EQ(seen.headers[0].ArchiveFlags, 0x12);
}

TEST(ArchiveRead, DescriptionBuildsTheSameArchive) {
    const std::string desc =
        "# prueba\n"
        "archive blocksize=1024 comment=\"Versión 5\" key=\"clave de prueba\" userdata=4B41564F\n"
        "file \"dir\\a.txt\" text=\"hola mundo\" date=\"2024-03-15 12:00:00\" attr=0x21 type=3 tags=1,2\n"
        "file cifrado.bin fill=3000 encrypted stored\n"
        "file \"otro nombre.txt\" text=x alt=\"b\\c.txt\" alt-type=4\n"
        "folder \"vacia\\\"\n";
    const auto b = kavmake::ParseDescription(desc, ".");
    const auto seen = Read(b.Build().segments, "clave de prueba");
    ASSERT_EQ(seen.entries.size(), 4u);
    EXPECT_EQ(seen.headers[0].Comment, "Versión 5");
    EXPECT_EQ(seen.headers[0].UserData.Bytes[0], 0x4B);
    EXPECT_EQ(seen.entries[0].Name, "dir\\a.txt");
    EXPECT_EQ(seen.entries[0].Date, kavmake::DateFromCivil(2024, 3, 15, 12));
    EXPECT_EQ(seen.entries[0].Date, 45366.5);
    EXPECT_EQ(seen.entries[0].TagCount, 2);
    EXPECT_EQ(seen.content.at("cifrado.bin"), kavmake::MixedData(3000));
    EXPECT_EQ(seen.entries[2].AltName, "b\\c.txt");
    EXPECT_EQ(seen.entries[3].FileFlags & kFileFolder, kFileFolder);
    EXPECT_THROW(kavmake::ParseDescription("file a.txt colour=red\n", "."), std::runtime_error);
}

}  // namespace
}  // namespace kav
