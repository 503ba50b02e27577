// Where stored names are restored. Natively, drives live under
// KV_DRIVES_ROOT (C: and D: exist); under Wine the real C: is used.
#include <cstdlib>
#include <filesystem>

#include "EngineTestSupport.h"

namespace kav::test {
namespace {

class RestorePathTest : public ScratchTest {
protected:
    void SetUp() override {
        ScratchTest::SetUp();
#ifndef _WIN32
        std::filesystem::create_directories(Path("drives/C"));
        std::filesystem::create_directories(Path("drives/D"));
        setenv("KV_DRIVES_ROOT", Path("drives").c_str(), 1);
#endif
    }
    void TearDown() override {
#ifndef _WIN32
        unsetenv("KV_DRIVES_ROOT");
#endif
        ScratchTest::TearDown();
    }
};

TEST_F(RestorePathTest, Rules) {
#ifdef _WIN32
    const std::string e = "C:\\kv-restore\\";  // on the drive that exists
    const std::string q = "C:\\dir\\";         // Q: is missing: the extraction drive instead
#else
    const std::string e = "D:\\out\\";
    const std::string q = "D:\\dir\\";
#endif
    struct Case {
        std::string stored, extractPath;
        bool restore;
        std::string expected;
    } cases[] = {
        {"dir\\f.txt", e, true, e + "dir\\"},
        {"f.txt", e, true, e},
        {"C:\\dir\\f.txt", e, true, "C:\\dir\\"},
        {"Q:\\dir\\f.txt", e, true, q},
        {"Q:\\dir\\f.txt", "relativa", true, "C:\\dir\\"},  // no drive to fall back on: C
        {"\\\\servidor-que-no-existe\\recurso\\dir\\f.txt", e, true, e + "servidor-que-no-existe\\recurso\\dir\\"},
        {"\\\\servidor\\f.txt", e, true, e + "servidor\\"},
        {"\\\\servidor\\recurso\\f.txt", e, true, e + "servidor\\recurso\\"},
        {"C:\\dir\\f.txt", e, false, e},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EntryDestinationFolder(c.stored, c.extractPath, c.restore), c.expected) << c.stored;
}

TEST(StoredNames, RefusedWhenTheyLeaveTheFolderOrNameNoFile) {
    const std::string longPart(256, 'a');
    struct Case {
        std::string name;
        bool refused;        // in an installation
        bool refusedDrives;  // with the format's rule for drive names
    } cases[] = {
        {"Conta\\Programa\\CONTA.EXE", false, false},
        {"f.txt", false, false},
        {"a.b\\x..y.txt", false, false},
        {".oculto", false, false},
        {"CONSOLA.TXT", false, false},
        {"COM10.txt", false, false},
        {"LPT.txt", false, false},
        {"dir\\NULO\\x", false, false},
        {"\\raiz.txt", false, false},  // kept below the folder
        {std::string(255, 'a'), false, false},
        {"a\\" + std::string(255, 'b'), false, false},
        {"..\\x", true, true},
        {"a\\..\\..\\x", true, true},
        {"a/../x", true, true},
        {"C:\\x.txt", true, false},
        {"c:/x.txt", true, false},
        {"C:\\..\\x.txt", true, true},
        {"\\\\srv\\share\\x", true, false},
        {"//srv/share/x", true, false},
        {"\\\\.\\pipe\\x", true, true},
        {"\\\\?\\C:\\x", true, true},
        {"\\\\?\\UNC\\srv\\share\\x", true, true},
        {"\\\\\\x", true, true},
        {"C:x.txt", true, true},
        {"C:..\\x", true, true},
        {"x.txt:flujo", true, true},
        {"ab:\\x", true, true},
        {"CON", true, true},
        {"con.txt", true, true},
        {"dir\\Nul\\x.txt", true, true},
        {"AUX.tar.gz", true, true},
        {"prn", true, true},
        {"COM1", true, true},
        {"lpt9.log", true, true},
        {"COM0.txt", true, true},
        {"COM\xC2\xB9.txt", true, true},
        {"NUL .txt", true, true},
        {"CONIN$", true, true},
        {"C:\\dir\\CON", true, true},
        {"x.txt.", true, true},
        {"x.txt ", true, true},
        {"dir.\\x.txt", true, true},
        {"dir \\x.txt", true, true},
        {".\\x.txt", true, true},
        {"a*b.txt", true, true},
        {"a?b.txt", true, true},
        {"a\"b.txt", true, true},
        {"a|b<c>.txt", true, true},
        {std::string("a\x01b.txt"), true, true},
        {longPart, true, true},
        {"a\\" + longPart + "\\x", true, true},
        {std::string(100, 'a') + "\\" + std::string(100, 'b') + "\\" + std::string(58, 'c'), true, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsUnsafeStoredName(c.name, false), c.refused) << c.name;
        EXPECT_EQ(IsUnsafeStoredName(c.name, true), c.refusedDrives) << c.name;
    }
}

#ifndef _WIN32
TEST_F(RestorePathTest, AbsoluteNamesLandOnTheirDriveOnlyWhenAskedFor) {
    ArchiveRecipe s;
    s.files = {FileRecipe{"C:\\datos\\c.txt", "c"}, FileRecipe{"Q:\\datos\\q.txt", "q"}, FileRecipe{"rel\\r.txt", "r"}};
    TExtractor e;
    e.SetFileName(Put("A.KAV", BuildArchive(s)));
    e.ExtractPath = "D:\\out";
    e.RestoreAction = raOverwrite;
    e.ErrorAction = eaContinue;
    int refused = 0;
    e.OnError = [&](TArchiverRoot&, const std::exception&, const TFileEntry&, TErrorAction&) { ++refused; };
    e.ExtractFiles();
    EXPECT_EQ(refused, 2);
    EXPECT_EQ(ListFiles(Path("drives")), (std::vector<std::string>{"D/out/rel/r.txt"}));
    e.RestoreDriveNames = true;
    e.ExtractFiles();
    EXPECT_EQ(refused, 2);
    EXPECT_EQ(ListFiles(Path("drives")), (std::vector<std::string>{"C/datos/c.txt", "D/datos/q.txt", "D/out/rel/r.txt"}));
}
#endif

}  // namespace
}  // namespace kav::test
