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

#ifndef _WIN32
TEST_F(RestorePathTest, AbsoluteNamesLandOnTheirDrive) {
    ArchiveRecipe s;
    s.files = {FileRecipe{"C:\\datos\\c.txt", "c"}, FileRecipe{"Q:\\datos\\q.txt", "q"}, FileRecipe{"rel\\r.txt", "r"}};
    TExtractor e;
    e.SetFileName(Put("A.KAV", BuildArchive(s)));
    e.ExtractPath = "D:\\out";
    e.RestoreAction = raOverwrite;
    e.ExtractFiles();
    EXPECT_EQ(ListFiles(Path("drives")), (std::vector<std::string>{"C/datos/c.txt", "D/datos/q.txt", "D/out/rel/r.txt"}));
}
#endif

}  // namespace
}  // namespace kav::test
