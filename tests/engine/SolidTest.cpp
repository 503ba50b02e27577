// Solid archives: the inner archive is unpacked to a temporary file that is
// read as the archive and deleted on close, also when anything fails.

#include "EngineTestSupport.h"

namespace kav::test {
namespace {

using Lines = std::vector<std::string>;

class SolidTest : public TempFolderTest {
protected:
    ArchiveRecipe Inner() {
        ArchiveRecipe s;
        s.files = {FileRecipe{"a.txt", "alfa"}, FileRecipe{"d\\b.txt", std::string(3000, 'b')}};
        return s;
    }
};

TEST_F(SolidTest, ExtractsTheInnerArchiveAndCleansUp) {
    TExtractor e;
    e.SetFileName(Put("S.KAV", BuildSolid(Inner())));
    e.ExtractPath = Path("out");
    EventLog log(e);
    e.Open();
    EXPECT_EQ(ListFiles(Path("tmp")).size(), 1u);
    EXPECT_NE(e.FileName(), Path("S.KAV"));
    // Unpacking runs as its own operation inside Open, progress 0 to 50.
    EXPECT_EQ((Lines(log.lines.begin(), log.lines.begin() + 5)),
              (Lines{"ClearFileList", "BeforeOpen", "AcceptArchive", "StartOperation", "FileProgress"}));
    EXPECT_NE(std::find(log.lines.begin(), log.lines.end(), "DisplayMessage Descomprimiendo archivo solido..."),
              log.lines.end());
    EXPECT_EQ(log.lines.back(), "AfterOpen");
    EXPECT_LE(*std::max_element(log.percents.begin(), log.percents.end()), 50);
    e.ExtractFiles();
    EXPECT_EQ(ListFiles(Path("out")), (Lines{"a.txt", "d/b.txt"}));
    e.Close();
    EXPECT_EQ(e.FileName(), Path("S.KAV"));
    EXPECT_TRUE(ListFiles(Path("tmp")).empty());
}

TEST_F(SolidTest, DamagedInnerArchiveLeavesNoTemporaryFile) {
    std::string bytes = BuildSolid(Inner());
    bytes[bytes.size() - 3] ^= 0x40;  // inside the inner archive's data
    TExtractor e;
    e.SetFileName(Put("S.KAV", bytes));
    e.ErrorAction = eaAbort;
    EXPECT_THROW(e.Open(), EArchiver);
    EXPECT_FALSE(e.IsOpened());
    EXPECT_TRUE(ListFiles(Path("tmp")).empty());
}

TEST_F(SolidTest, DestroyingAnOpenExtractorDeletesTheTemporaryFile) {
    {
        TExtractor e;
        e.SetFileName(Put("S.KAV", BuildSolid(Inner())));
        e.Open();
        EXPECT_EQ(ListFiles(Path("tmp")).size(), 1u);
    }
    EXPECT_TRUE(ListFiles(Path("tmp")).empty());
}

}  // namespace
}  // namespace kav::test
