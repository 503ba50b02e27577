// Multi-file archives: files split across segments, prompts for missing
// segments, the search for the last segment, single-segment mode.
#include <filesystem>

#include "DialogSeam.h"
#include "Dialogs.h"
#include "EngineTestSupport.h"

namespace kav::test {
namespace {

using Lines = std::vector<std::string>;

class SegmentsTest : public ScratchTest {
protected:
    // Three files over several segments of at most 1500 bytes of data; the
    // big one (random, so it does not compress) is split.
    ArchiveRecipe Recipe(bool incompleteTotals = false) {
        std::string noise(5000, '\0');
        uint32_t x = 12345;
        for (char& c : noise) c = static_cast<char>((x = x * 1103515245 + 12345) >> 24);
        ArchiveRecipe s;
        s.segmentData = 1500;
        s.incompleteFirstTotals = incompleteTotals;
        s.files = {FileRecipe{"uno.txt", "uno"}, FileRecipe{"grande.bin", noise}, FileRecipe{"tres.txt", "tres"}};
        return s;
    }
    // Writes the segments as QTR.KAV, QTR.001, ...; returns their count.
    size_t WriteSegments(const ArchiveRecipe& s, const std::string& base = "QTR") {
        std::vector<std::string> segs = BuildSegments(s);
        for (size_t i = 0; i < segs.size(); ++i) {
            char ext[8];
            std::snprintf(ext, sizeof ext, ".%03zu", i);
            Put(base + (i == 0 ? std::string(".KAV") : std::string(ext)), segs[i]);
        }
        return segs.size();
    }
};

TEST_F(SegmentsTest, SplitFileIsJoinedAcrossSegments) {
    ArchiveRecipe s = Recipe();
    ASSERT_GE(WriteSegments(s), 3u);
    TExtractor e;
    e.SetFileName(Path("QTR-2.KAV"));  // the suffix is dropped: QTR.KAV is segment 1
    std::filesystem::copy_file(Path("QTR.KAV"), Path("QTR-2.KAV"));
    e.ExtractPath = Path("out");
    EventLog log(e);
    e.Open();
    e.ExtractFiles();
    EXPECT_EQ(ReadFile(Path("out/grande.bin")), s.files[1].data);
    EXPECT_EQ(ReadFile(Path("out/tres.txt")), "tres");
    EXPECT_EQ(log.percents.back(), 100);
    Lines changes;
    for (const std::string& l : log.lines)
        if (l.rfind("SegmentChanged", 0) == 0) changes.push_back(l);
    EXPECT_GE(changes.size(), 2u);
    EXPECT_EQ(changes.front(), "SegmentChanged 2");

    log.lines.clear();
    e.EnumerateFiles();
    Lines enumerated;
    for (const std::string& l : log.lines)
        if (l.rfind("Enumeration", 0) == 0) enumerated.push_back(l);
    EXPECT_EQ(enumerated, (Lines{"Enumeration uno.txt", "Enumeration grande.bin", "Enumeration tres.txt"}));
}

TEST_F(SegmentsTest, IncompleteTotalsSendTheReaderToTheLastSegment) {
    size_t count = WriteSegments(Recipe(true));
    TExtractor e;
    e.SetFileName(Path("QTR.KAV"));
    e.ExtractPath = Path("out");
    e.Open();
    EXPECT_EQ(e.Header().Segment, count);  // the last segment's header is open
    EventLog log(e);
    e.ExtractFiles();
    EXPECT_EQ(log.lines[2], "SegmentChanged 1");  // back to the first before reading entries
    EXPECT_EQ(log.percents.back(), 100);
    EXPECT_EQ(ListFiles(Path("out")), (Lines{"grande.bin", "tres.txt", "uno.txt"}));
}

TEST_F(SegmentsTest, MissingSegmentIsAskedFor) {
    size_t count = WriteSegments(Recipe());
    ASSERT_GE(count, 3u);
    // Every segment after the first was moved: once the user names the
    // second one, the rest are found beside it.
    auto move = [&](const std::string& from, const std::string& to) {
        std::filesystem::create_directories(Path(to));
        for (size_t i = 1; i < count; ++i) {
            std::string ext = "QTR.00" + std::to_string(i);
            std::filesystem::rename(Path(from + ext), Path(to + "/" + ext));
        }
    };
    move("", "otro");
    struct Case {
        const char* name;
        bool useEvent;
    } cases[] = {{"OnLocateSegment", true}, {"dialog", false}};
    for (const Case& c : cases) {
        std::filesystem::remove_all(Path("out"));
        TExtractor e;
        e.SetFileName(Path("QTR.KAV"));
        e.ExtractPath = Path("out");
        e.ErrorAction = eaAbort;
        Lines asked;
        if (c.useEvent) {
            e.OnLocateSegment = [&](TCustomExtractor&, int32_t n, std::string& name) {
                asked.push_back(std::to_string(n) + " " + name);
                name = asked.size() == 1 ? Path("QTR.002") : Path("otro/QTR.001");  // wrong first
            };
        }
        ui::ScopedDialogScript script([&](const ui::DialogRequest& r) {
            if (r.kind == dialogs::kMessageDlg) {
                asked.push_back("warning " + r.text);
                return ui::DialogAnswer{mrOk, {}};
            }
            EXPECT_EQ(r.text, "Introduzca Directorio del archivo.");
            if (asked.size() > 3) return ui::DialogAnswer{mrCancel, {}};
            asked.push_back("2 " + r.value);
            return ui::DialogAnswer{mrOk, asked.size() == 1 ? Path("QTR.002") : Path("otro/QTR.001")};
        });
        e.ExtractFiles();
        EXPECT_EQ(ReadFile(Path("out/tres.txt")), "tres") << c.name;
        EXPECT_EQ(asked, (Lines{"2 " + Path("QTR.001"), "warning No es el segmento Nº: 2 del archivo QTR!",
                                "2 " + Path("QTR.001")}))
            << c.name;
    }
    // Cancel ends the operation silently.
    TExtractor e;
    e.SetFileName(Path("QTR.KAV"));
    e.ExtractPath = Path("out");
    ui::ScopedDialogScript script([](const ui::DialogRequest&) { return ui::DialogAnswer{mrCancel, {}}; });
    EXPECT_THROW(e.ExtractFiles(), EAbort);
}

TEST_F(SegmentsTest, MissingLastSegmentIsAskedFor) {
    size_t count = WriteSegments(Recipe(true));
    std::string last = "QTR." + std::string(2, '0') + std::to_string(count - 1);
    std::filesystem::create_directories(Path("otro"));
    std::filesystem::rename(Path(last), Path("otro/ultimo.kav"));
    TExtractor e;
    e.SetFileName(Path("QTR.KAV"));
    Lines asked;
    e.OnLocateLastSegment = [&](TCustomExtractor&, std::string& p) {
        asked.push_back(p);
        p = Path("otro/ultimo.kav");
    };
    e.Open();
    EXPECT_EQ(asked, (Lines{Path(last)}));
    EXPECT_EQ(e.Header().Segment, count);
}

TEST_F(SegmentsTest, ContinuationOfAnotherFileIsRefused) {
    ArchiveRecipe s = Recipe();
    std::vector<std::string> segs = BuildSegments(s);
    ArchiveRecipe other = Recipe();
    other.files[1].name = "otro.bin";
    std::vector<std::string> otherSegs = BuildSegments(other);
    Put("QTR.KAV", segs[0]);
    Put("QTR.001", otherSegs[1]);  // same ArchiveID, same segment number, other file
    for (size_t i = 2; i < segs.size(); ++i) Put("QTR.00" + std::to_string(i), segs[i]);
    TExtractor e;
    e.SetFileName(Path("QTR.KAV"));
    e.ExtractPath = Path("out");
    e.ErrorAction = eaAbort;
    try {
        e.ExtractFiles();
        FAIL();
    } catch (const EArchiver& ex) {
        EXPECT_STREQ(ex.what(), "El segmento no es el siguente en la sequencia");
    }
    EXPECT_EQ(e.ResultCode(), -1);
}

TEST_F(SegmentsTest, SingleSegmentModeStaysInTheOpenFile) {
    ArchiveRecipe s = Recipe();
    WriteSegments(s);
    TExtractor e;
    e.SetFileName(Path("QTR.KAV"));
    e.ExtractPath = Path("out");
    e.Options += oOpenSingleSegment;
    EventLog log(e);
    e.ExtractFiles();
    EXPECT_EQ(ReadFile(Path("out/uno.txt")), "uno");
    // The split file keeps what this segment holds.
    std::string part = ReadFile(Path("out/grande.bin"));
    EXPECT_GT(part.size(), 0u);
    EXPECT_LT(part.size(), s.files[1].data.size());
    EXPECT_EQ(part, s.files[1].data.substr(0, part.size()));
    EXPECT_FALSE(std::filesystem::exists(Path("out/tres.txt")));
    for (const std::string& l : log.lines) EXPECT_NE(l.rfind("SegmentChanged", 0), 0u) << l;
}

}  // namespace
}  // namespace kav::test
