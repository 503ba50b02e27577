// Archives behind other bytes: the header is read at SFXSize only in files
// named .EXE (any case); archives opened later with SFXSize still set are
// read from their start.
#include "EngineTestSupport.h"

namespace kav::test {
namespace {

class SfxOffsetTest : public ScratchTest {};

TEST_F(SfxOffsetTest, HeaderAtSfxSizeInExecutablesOnly) {
    ArchiveRecipe recipe;
    recipe.userData.Bytes[0] = 0x5A;
    recipe.files = {FileRecipe{"dir\\f.txt", "contenido"}};
    const std::string archive = BuildArchive(recipe);
    const std::string program(3000, 'P');
    const std::string trailer(64, 'S');  // a signature after the archive is never read
    for (const char* name : {"INSTALA.EXE", "instala.exe"}) {
        TExtractor e;
        e.SetFileName(Put(name, program + archive + trailer));
        e.SFXSize = static_cast<int32_t>(program.size());
        e.ExtractPath = Path("out");
        e.RestoreAction = raOverwrite;
        int opened = 0;
        e.OnAfterOpen = [&](TArchiverRoot& r) {
            ++opened;
            r.OnAfterOpen = nullptr;  // the handler removes itself, as the installer's does
        };
        e.Open();
        EXPECT_EQ(e.Header().UserData.Bytes[0], 0x5A) << name;
        EXPECT_EQ(e.StartOffset(), 3000) << name;
        e.ExtractFiles();
        EXPECT_EQ(ReadFile(Path("out/dir/f.txt")), "contenido") << name;
        e.Close();
        e.SetFileName(Put("QTR.KAV", archive));
        e.Open();
        EXPECT_EQ(e.StartOffset(), 0);
        EXPECT_EQ(opened, 1);
        e.Close();
    }
    // Without SFXSize an executable is read from its first byte: no archive there.
    TExtractor e;
    e.SetFileName(Put("OTRO.EXE", program + archive));
    EXPECT_THROW(e.Open(), EArchiver);
}

}  // namespace
}  // namespace kav::test
