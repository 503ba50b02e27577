// One recorded event sequence per operation kind: the installer's handlers
// rely on these orders.
#include "EngineTestSupport.h"

namespace kav::test {
namespace {

using Lines = std::vector<std::string>;

class EventOrderTest : public ScratchTest {
protected:
    ArchiveRecipe Mixed() {
        ArchiveRecipe s;
        s.comment = "Versión 9";
        s.files = {FileRecipe{"a.txt", std::string(1500, 'a')}, FileRecipe{"sub\\", "", 45000, 0x10, 0, "", 0, true},
                   FileRecipe{"sub\\b.dat", "serie", 45000, 0x20, kFileTypeSerie}, FileRecipe{"skip.txt", "x"}};
        return s;
    }
};

// Testing reads every entry as extraction does and writes nothing.
TEST_F(EventOrderTest, TestFiles) {
    TExtractor e;
    e.SetFileName(Put("A.KAV", BuildArchive(Mixed())));
    e.Open();
    EventLog log(e, true);
    e.TestFiles();
    EXPECT_EQ(log.lines, (Lines{"StartOperation", "FileProgress", "ShowTiming",
                                "DisplayMessage Verificando a.txt (1500)", "AddToLog", "FileProgress", "ShowTiming",
                                "FileProgress", "ShowTiming", "FileTested a.txt",
                                "DisplayMessage Verificando sub\\ (0)", "AddToLog", "FileTested sub\\",
                                "DisplayMessage Verificando sub\\b.dat (5)", "AddToLog", "FileProgress", "ShowTiming",
                                "FileTested sub\\b.dat",
                                "DisplayMessage Verificando skip.txt (1)", "AddToLog", "FileProgress", "ShowTiming",
                                "FileTested skip.txt", "FinishOperation"}));
    EXPECT_EQ(log.percents.back(), 100);
    EXPECT_EQ(e.ResultCode(), 1);
    EXPECT_EQ(ListFiles(root_), (Lines{"A.KAV"}));
}

TEST_F(EventOrderTest, OpenAndClose) {
    TExtractor e;
    e.SetFileName(Put("A.KAV", BuildArchive(Mixed())));
    EventLog log(e);
    e.Open();
    e.Close();
    EXPECT_EQ(log.lines, (Lines{"ClearFileList", "BeforeOpen", "AcceptArchive", "ShowComment Versión 9", "AfterOpen",
                                "BeforeClose", "ClearFileList", "AfterClose"}));
}

TEST_F(EventOrderTest, ExtractFiles) {
    TExtractor e;
    e.SetFileName(Put("A.KAV", BuildArchive(Mixed())));
    e.ExtractPath = Path("out");
    e.RestoreAction = raOverwrite;
    e.Open();
    EventLog log(e, true);
    auto record = e.OnExtractFile;
    e.OnExtractFile = [record](TCustomExtractor& x, const TFileEntry& f, std::string& d, bool& accept) {
        record(x, f, d, accept);
        accept = f.Name != "skip.txt";
    };
    e.ExtractFiles();
    EXPECT_EQ(log.lines, (Lines{"StartOperation", "FileProgress", "ShowTiming",
                                "ExtractFile a.txt", "ExtractFileByIndex 0", "DisplayMessage Extrayendo a.txt (1500)",
                                "AddToLog", "FileProgress", "ShowTiming", "FileProgress", "ShowTiming",
                                "FileExtracted a.txt",
                                "ExtractFile sub\\", "ExtractFileByIndex 1", "DisplayMessage Extrayendo  (0)",
                                "AddToLog",
                                "ExtractFile sub\\b.dat", "ExtractFileByIndex 2",
                                "DisplayMessage Extrayendo b.dat (5)", "AddToLog", "FileProgress", "ShowTiming",
                                "FileSerie sub\\b.dat", "FileExtracted sub\\b.dat",
                                "ExtractFile skip.txt", "ExtractFileByIndex 3", "FileProgress", "ShowTiming",
                                "FinishOperation"}));
    EXPECT_EQ(log.percents.front(), 0);
    EXPECT_EQ(log.percents.back(), 100);
    EXPECT_TRUE(std::is_sorted(log.percents.begin(), log.percents.end()));
    EXPECT_EQ(e.ResultCode(), 1);
    EXPECT_EQ(ListFiles(Path("out")), (Lines{"a.txt", "sub/b.dat"}));
}

TEST_F(EventOrderTest, EnumerateFilesReportsFoldersOnlyWhenAsked) {
    for (bool showFolders : {false, true}) {
        TExtractor e;
        e.SetFileName(Put("A.KAV", BuildArchive(Mixed())));
        if (showFolders) e.Options += oShowEmptyFolders;
        e.Open();
        EventLog log(e);
        e.EnumerateFiles();
        Lines expected{"StartOperation", "FileProgress", "ClearFileList", "DisplayMessage Cargando contenido del archivo...",
                       "AddToLog", "FileProgress", "Enumeration a.txt", "FileProgress"};
        if (showFolders) expected.push_back("Enumeration sub\\");
        for (const char* s : {"FileProgress", "Enumeration sub\\b.dat", "FileProgress", "Enumeration skip.txt",
                              "FinishOperation"})
            expected.push_back(s);
        EXPECT_EQ(log.lines, expected) << "oShowEmptyFolders " << showFolders;
        EXPECT_EQ(log.percents.back(), 100);
        e.Close();
    }
}

TEST_F(EventOrderTest, OpenWithEnumerationRunsProgressFromFiftyToHundred) {
    TExtractor e;
    e.SetFileName(Put("A.KAV", BuildArchive(Mixed())));
    e.Options += oMaintainFileDirectory;
    EventLog log(e);
    e.Open();
    ASSERT_GE(log.lines.size(), 6u);
    EXPECT_EQ((Lines(log.lines.begin(), log.lines.begin() + 6)),
              (Lines{"ClearFileList", "BeforeOpen", "AcceptArchive", "ShowComment Versión 9", "AfterOpen",
                     "StartOperation"}));
    EXPECT_EQ(log.lines.back(), "FinishOperation");
    EXPECT_EQ(log.percents.front(), 50);
    EXPECT_EQ(log.percents.back(), 100);
    ASSERT_EQ(e.FileList().size(), 4u);
    EXPECT_EQ(e.FileList()[2]->FileEntry.Name, "sub\\b.dat");
}

}  // namespace
}  // namespace kav::test
