// Where a segment's data ends: an entry whose data fills its segment to the
// end is stepped over on every path that skips one, and nothing past the
// declared end of the data is ever taken for part of the archive.
#include <filesystem>
#include <functional>

#include "ArchiveBuilder.h"
#include "EngineTestSupport.h"

namespace kav::test {
namespace {

using kavmake::ArchiveBuilder;
using Lines = std::vector<std::string>;

class SegmentEndTest : public ScratchTest {};

TEST_F(SegmentEndTest, EntryEndingItsSegmentIsSkippedOnEveryPath) {
    // The second record does not fit behind the first file's data, so the
    // first segment ends exactly where that data ends.
    const std::string first = kavmake::MixedData(100);
    auto build = [&](kavmake::Fault fault) {
        ArchiveBuilder b({.blockSize = 1024, .segmentSize = 440});
        b.AddFile("a.bin", first, {.packing = kavmake::Packing::Stored, .fault = fault});
        b.AddFile("b.txt", "segundo");
        const kavmake::BuiltArchive built = b.Build();
        EXPECT_EQ(built.segments.size(), 2u);
        EXPECT_EQ(built.entries.size(), 2u);  // nothing was split
        EXPECT_EQ(built.entries[1].segment, 2);
        b.WriteTo(Path("QTR.KAV"));
    };
    struct Case {
        const char* what;
        kavmake::Fault fault;
        TRestoreAction action;
        bool existing;  // a.bin is in the folder already, newer than the entry
        bool refuse;    // OnExtractFile refuses a.bin
    } cases[] = {
        {"raSkip", kavmake::Fault::None, raSkip, true, false},
        {"raUpdate", kavmake::Fault::None, raUpdate, true, false},
        {"refused by OnExtractFile", kavmake::Fault::None, raOverwrite, false, true},
        {"continued after an error", kavmake::Fault::WrongCrc, raOverwrite, false, false},
    };
    for (const Case& c : cases) {
        build(c.fault);
        std::filesystem::remove_all(Path("out"));
        std::filesystem::create_directories(Path("out"));
        if (c.existing) Put("out/a.bin", "mio");
        TExtractor e;
        e.SetFileName(Path("QTR.KAV"));
        e.ExtractPath = Path("out");
        e.RestoreAction = c.action;
        e.ErrorAction = eaContinue;
        if (c.refuse)
            e.OnExtractFile = [](TCustomExtractor&, const TFileEntry& f, std::string&, bool& accept) {
                accept = f.Name != "a.bin";
            };
        try {
            e.ExtractFiles();
        } catch (const std::exception& ex) {
            ADD_FAILURE() << c.what << ": " << ex.what();
        }
        EXPECT_EQ(ReadFile(Path("out/b.txt")), "segundo") << c.what;
        if (c.existing) EXPECT_EQ(ReadFile(Path("out/a.bin")), "mio") << c.what;
    }

    build(kavmake::Fault::None);
    TExtractor e;
    e.SetFileName(Path("QTR.KAV"));
    Lines enumerated;
    e.OnEnumeration = [&](TCustomExtractor&, const TFileEntry& f) { enumerated.push_back(f.Name); };
    e.EnumerateFiles();
    EXPECT_EQ(enumerated, (Lines{"a.bin", "b.txt"}));
}

TEST_F(SegmentEndTest, NothingPastTheEndOfTheDataIsRead) {
    ArchiveBuilder b({.blockSize = 1024});
    b.AddFile("a.txt", "alfa alfa alfa");
    b.AddFile("b.txt", "beta");
    const kavmake::BuiltArchive built = b.Build();
    const std::string& good = built.segments[0];
    auto endingAt = [&](int64_t end) {
        std::string bytes = good;
        std::string value;
        PutInt32(value, static_cast<int32_t>(end));
        bytes.replace(16, 4, value);  // EndOffset; the rest is left as a trailer
        return bytes;
    };
    struct Case {
        const char* what;
        int64_t end;
        bool damaged;
    } cases[] = {
        {"end inside the first record", built.entries[0].record + 10, true},
        {"end inside the first block", built.entries[0].blocks[0] + 12, true},
        {"end before the second record", built.entries[1].record, false},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(Path("out"));
        TExtractor e;
        e.SetFileName(Put("A.KAV", endingAt(c.end)));
        e.ExtractPath = Path("out");
        e.ErrorAction = eaAbort;
        Lines enumerated;
        e.OnEnumeration = [&](TCustomExtractor&, const TFileEntry& f) { enumerated.push_back(f.Name); };
        for (auto operation : {&TCustomExtractor::EnumerateFiles, &TCustomExtractor::ExtractFiles}) {
            try {
                (e.*operation)();
                EXPECT_FALSE(c.damaged) << c.what;
            } catch (const EArchiver& ex) {
                EXPECT_TRUE(c.damaged) << c.what;
                EXPECT_STREQ(ex.what(), kMsgDamaged) << c.what;
            }
        }
        EXPECT_EQ(ListFiles(Path("out")), c.damaged ? Lines{} : Lines{"a.txt"}) << c.what;
        EXPECT_EQ(enumerated, c.damaged ? Lines{} : Lines{"a.txt"}) << c.what;
    }
}

}  // namespace
}  // namespace kav::test
