// Key material and the SFX generator reference: what the extractor still
// holds once the key is forgotten or the generator is gone.
#include <algorithm>
#include <cstring>

#include "ArchiveBuilder.h"
#include "Blowunit.h"
#include "CustSFXGenerator.h"
#include "EngineTestSupport.h"

namespace kav::test {
namespace {

using kavmake::ArchiveBuilder;

class ForgottenKeyTest : public ScratchTest {};

// The extractor's cipher, for looking at its bytes.
class OpenExtractor : public TExtractor {
public:
    using TExtractor::Cipher;
};

// Whether the bytes of an object hold `text` (a short key lives inside the
// string object itself, so a copy left behind shows there).
template <typename T> bool Holds(const T& object, const std::string& text) {
    std::string bytes(sizeof(T), '\0');
    std::memcpy(bytes.data(), static_cast<const void*>(&object), sizeof(T));
    return bytes.find(text) != std::string::npos;
}

TEST_F(ForgottenKeyTest, NoCopyOfTheKeyOutlivesIt) {
    const std::string key = "clave-corta";  // short enough to stay inside a string object
    // A string's first byte is zeroed by a plain clear: look for the rest.
    const std::string rest = key.substr(1);
    ArchiveBuilder b({.blockSize = 1024, .key = key});
    b.AddFile("c.txt", "cifrado cifrado", {.encrypted = true});
    b.WriteTo(Path("C.KAV"));
    OpenExtractor e;
    e.SetFileName(Path("C.KAV"));
    e.ExtractPath = Path("out");
    e.RestoreAction = raOverwrite;
    e.CryptKey = key;
    e.ExtractFiles();
    ASSERT_EQ(ReadFile(Path("out/c.txt")), "cifrado cifrado");
    EXPECT_TRUE(e.CryptKey.empty());
    EXPECT_FALSE(Holds(e, rest)) << "the extractor";
    EXPECT_FALSE(Holds(e.Cipher(), rest)) << "the cipher";

    // Kept for the archive until Close, then forgotten there as well.
    ArchiveBuilder kept({.blockSize = 1024, .extraFlags = kArchiveKeepKey, .key = key});
    kept.AddFile("c.txt", "cifrado cifrado", {.encrypted = true});
    kept.WriteTo(Path("K.KAV"));
    e.SetFileName(Path("K.KAV"));
    e.CryptKey = key;
    e.Open();
    e.ExtractFiles();
    EXPECT_EQ(e.CryptKey, key);
    e.Close();
    EXPECT_FALSE(Holds(e, rest)) << "the extractor, closed";
    EXPECT_FALSE(Holds(e.Cipher(), rest)) << "the cipher, closed";
}

TEST_F(ForgottenKeyTest, SfxGeneratorReferenceIsClearedWithTheGenerator) {
    ArchiveBuilder b;
    b.AddFile("f.txt", "contenido");
    const std::string program(3000, 'P');
    Put("INSTALA.EXE", kavmake::AppendToExecutable(program, b.Bytes(), 3000));
    TExtractor e;
    {
        TCustomSFXGenerator g;
        e.SFXGenerator = &g;
        EXPECT_TRUE(e.SFXGenerator == &g);
    }
    ASSERT_TRUE(e.SFXGenerator == nullptr);
    // Opening an executable consults the generator only while it exists.
    e.SetFileName(Path("INSTALA.EXE"));
    e.SFXSize = 3000;
    e.Open();
    EXPECT_EQ(e.StartOffset(), 3000);
    e.Close();
}

}  // namespace
}  // namespace kav::test
