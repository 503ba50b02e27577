// Archives in the release tooling's block size, 64 KiB: entries of many
// blocks, stored and compressed, enciphered entries far larger than the
// cipher's 4096-byte working buffer, blocks decoded in batches, and damaged
// compressed blocks.
#include <cstring>

#include "ArchiveBuilder.h"
#include "ArchiveCRC32.h"
#include "BlockDecoder.h"
#include "Blowunit.h"
#include "EngineTestSupport.h"

namespace kav::test {
namespace {

using Lines = std::vector<std::string>;
constexpr int32_t kBlock = 65536;
const std::string kKey = "clave de bloques grandes";

struct Entry {
    std::string name;
    std::string data;
    kavmake::FileOptions options;
};

kavmake::BuiltArchive Build(const std::vector<Entry>& entries) {
    kavmake::ArchiveBuilder b({.blockSize = kBlock, .key = kKey});
    for (const Entry& e : entries) b.AddFile(e.name, e.data, e.options);
    return b.Build();
}

class LargeBlockTest : public ScratchTest {
protected:
    void Prepare(TExtractor& e, const std::string& archive) {
        e.SetFileName(Put("A.KAV", archive));
        e.ExtractPath = Path("out");
        e.RestoreAction = raOverwrite;
        e.ErrorAction = eaContinue;
    }
    std::string Out(const std::string& name) { return ReadFile(Path("out") + "/" + name); }
};

TEST_F(LargeBlockTest, EveryKindOfEntryComesOutIdentical) {
    const kavmake::FileOptions stored{.packing = kavmake::Packing::Stored};
    const kavmake::FileOptions cipher{.encrypted = true};
    const kavmake::FileOptions cipherStored{.packing = kavmake::Packing::Stored, .encrypted = true};
    const std::vector<Entry> entries = {
        {"vacio.txt", "", {}},
        {"uno.txt", "1", {}},
        {"exacto.bin", kavmake::MixedData(kBlock, 1), {}},
        {"varios.bin", kavmake::MixedData(3 * kBlock + 777, 2), {}},
        {"guardado.bin", kavmake::MixedData(2 * kBlock + 5, 3), stored},
        {"cifrado_corto.bin", kavmake::MixedData(4097, 4), cipher},
        {"cifrado.bin", kavmake::MixedData(5 * kBlock + 4099, 5), cipher},
        {"cifrado_guardado.bin", kavmake::MixedData(kBlock + 4097, 6), cipherStored},
        {"cifrado_exacto.bin", kavmake::MixedData(2 * kBlock, 7), cipher},
        {"ultimo.txt", "después de los cifrados", {}},
    };
    const std::string archive = Build(entries).segments[0];
    // The key given beforehand (enciphered blocks in batches), asked for
    // (the first block alone, then batches), and deciphered by a handler
    // (one block at a time).
    struct Mode {
        const char* what;
        std::function<void(TExtractor&)> setup;
    } modes[] = {
        {"key given", [](TExtractor& e) { e.CryptKey = kKey; }},
        {"key asked", [](TExtractor& e) { e.OnRequestCryptKey = [](TArchiverRoot&, std::string& k) { k = kKey; }; }},
        {"handler deciphers",
         [](TExtractor& e) {
             e.CryptKey = kKey;
             e.OnDecryptBlock = [](TCustomExtractor&, uint8_t* dest, const uint8_t* src, int32_t& size, int32_t n) {
                 TBlowFish bf;
                 bf.SetInputType(TSourceType::SourceByteArray);
                 bf.SetKey(kKey);
                 std::memmove(dest, src, static_cast<size_t>(n));
                 size = static_cast<int32_t>(DecipherStoredBlock(bf, dest, static_cast<size_t>(n)));
             };
         }},
    };
    for (const Mode& m : modes) {
        TearDown();
        SetUp();
        TExtractor e;
        Prepare(e, archive);
        m.setup(e);
        std::string error;
        e.OnError = [&](TArchiverRoot&, const std::exception& ex, const TFileEntry&, TErrorAction&) { error = ex.what(); };
        e.ExtractFiles();
        EXPECT_EQ(error, "") << m.what;
        for (const Entry& entry : entries) EXPECT_TRUE(Out(entry.name) == entry.data) << m.what << ": " << entry.name;
    }
}

// Whether blocks go in batches or not, the events of an enciphered entry
// come as block after block would give them.
TEST_F(LargeBlockTest, EncipheredEntryEventsComeBlockByBlock) {
    const std::string archive =
        Build({{"cifrado.bin", kavmake::MixedData(2 * kBlock + 100, 8), {.encrypted = true}}}).segments[0];
    for (bool handler : {false, true}) {
        TExtractor e;
        Prepare(e, archive);
        Lines events;
        e.OnRequestCryptKey = [&](TArchiverRoot&, std::string& k) {
            events.push_back("clave");
            k = kKey;
        };
        e.OnFileProgress = [&](TArchiverRoot&, int32_t percent) { events.push_back("progreso"); };
        if (handler)
            e.OnDecryptBlock = [&](TCustomExtractor&, uint8_t* dest, const uint8_t* src, int32_t& size, int32_t n) {
                events.push_back("descifrar");
                TBlowFish bf;
                bf.SetInputType(TSourceType::SourceByteArray);
                bf.SetKey(kKey);
                std::memmove(dest, src, static_cast<size_t>(n));
                size = static_cast<int32_t>(DecipherStoredBlock(bf, dest, static_cast<size_t>(n)));
            };
        e.ExtractFiles();
        const Lines expected = handler ? Lines{"progreso", "clave", "descifrar", "progreso", "descifrar", "progreso",
                                               "descifrar", "progreso"}
                                       : Lines{"progreso", "clave", "progreso", "progreso", "progreso"};
        EXPECT_EQ(events, expected) << (handler ? "with" : "without") << " a decipher handler";
        EXPECT_TRUE(Out("cifrado.bin") == kavmake::MixedData(2 * kBlock + 100, 8));
    }
}

// A compressed block that passes its checksum and still cannot be inflated
// fails its file with the inflate's error, whichever block of a batch it is,
// and the files after it come out intact.
TEST_F(LargeBlockTest, DamagedCompressedBlocks) {
    const std::string first = kavmake::MixedData(3 * kBlock, 9), after = kavmake::MixedData(kBlock + 3, 10);
    const kavmake::BuiltArchive built = Build({{"danado.bin", first, {}}, {"despues.bin", after, {}}});
    // Each fault rewrites the data of one block (its length kept) and
    // recomputes its checksum.
    struct Fault {
        const char* what;
        std::function<void(std::string& data)> apply;
    } faults[] = {
        {"bit flipped in the deflate data", [](std::string& d) { d[d.size() / 2] ^= 0x10; }},
        {"stream cut short", [](std::string& d) { std::fill(d.begin() + d.size() / 2, d.end(), '\0'); }},
        {"wrong zlib header", [](std::string& d) { d[0] = 0; }},
        {"wrong Adler-32", [](std::string& d) { d.back() ^= 1; }},
        {"inflates to more than BlockSize",
         [](std::string& d) {
             // Trailing bytes after a stream are ignored, so it keeps the length.
             const std::string over = kavmake::Compress(std::string(kBlock + 1, 'k'));
             ASSERT_LT(over.size(), d.size());
             d = over + std::string(d.size() - over.size(), '\0');
         }},
    };
    for (size_t damaged = 0; damaged < 3; ++damaged)
        for (const Fault& f : faults) {
            TearDown();
            SetUp();
            std::string bytes = built.segments[0];
            const auto at = static_cast<size_t>(built.entries[0].blocks[damaged]);
            int32_t length = 0;
            std::memcpy(&length, bytes.data() + at, 4);
            ASSERT_GT(length, 0) << "a compressed block";
            std::string data = bytes.substr(at + 8, static_cast<size_t>(length));
            f.apply(data);
            const uint32_t crc = ArchiveCRC32(data.data(), data.size());
            std::memcpy(bytes.data() + at + 4, &crc, 4);
            bytes.replace(at + 8, data.size(), data);

            TExtractor e;
            Prepare(e, bytes);
            Lines errors;
            e.OnError = [&](TArchiverRoot&, const std::exception& ex, const TFileEntry& entry, TErrorAction&) {
                errors.push_back(entry.Name + ": " + ex.what());
            };
            e.ExtractFiles();
            EXPECT_EQ(errors, (Lines{"danado.bin: No es posible descomprimir el bloque"}))
                << f.what << ", block " << damaged;
            EXPECT_TRUE(Out("despues.bin") == after) << f.what << ", block " << damaged;
            EXPECT_EQ(e.ResultCode(), 1) << f.what;
        }
}

}  // namespace
}  // namespace kav::test
