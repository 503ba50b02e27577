#include "BlockDecoder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "ArchiveCRC32.h"
#include "ArchiverMisc.h"
#include "BlockPipeline.h"
#include "Blowunit.h"
#include "ReadSupport.h"
#include "Stream.h"

namespace kav {
namespace {

constexpr int32_t kBlockSize = 1024;  // input buffer 1034

std::string Block(int32_t length, uint32_t crc, const std::string& data) {
    std::string b;
    PutInt32(b, length);
    PutInt32(b, static_cast<int32_t>(crc));
    return b + data;
}
uint32_t Crc(const std::string& s) { return ArchiveCRC32(s.data(), s.size()); }
std::string Deflate(const std::string& plain) {
    uLongf n = compressBound(plain.size());
    std::string out(n, '\0');
    compress(reinterpret_cast<Bytef*>(out.data()), &n, reinterpret_cast<const Bytef*>(plain.data()), plain.size());
    out.resize(n);
    return out;
}
// Enciphered block data: P padded to 8 with zeros, ECB, then the count byte.
std::string Encrypt(const std::string& plain, const std::string& key) {
    std::string padded = plain;
    const size_t pad = (8 - plain.size() % 8) % 8;
    padded.append(pad, '\0');
    TBlowFish bf;
    bf.SetKey(key);
    bf.SetInputType(TSourceType::SourceByteArray);
    bf.SetInputPointer(padded.data());
    bf.SetOutputPointer(padded.data());
    bf.SetInputLength(static_cast<uint16_t>(padded.size()));
    bf.EncipherData(false);
    return padded + static_cast<char>(pad);
}

struct Decoder : BlockTransforms {
    TBlowFish cipher;
    explicit Decoder(const std::string& key) {
        cipher.SetInputType(TSourceType::SourceByteArray);
        cipher.SetKey(key);
    }
    size_t DecryptBlock(uint8_t* data, size_t n) override { return DecipherStoredBlock(cipher, data, n); }
};

struct Result { std::string data; int64_t consumed = 0; std::string error; };

Result Decode(const std::string& bytes, bool encrypted, const std::string& key = "clave correcta") {
    std::vector<uint8_t> in(BlockInputCapacity(kBlockSize)), out(kBlockSize);
    MemoryStream s(bytes.data(), bytes.size());
    Decoder d(key);
    Result r;
    r.error = testing::CaughtError([&] {
        const DecodedBlock b = DecodeBlock(s, {in.data(), in.size(), out.data(), out.size()}, encrypted, d);
        r.data.assign(reinterpret_cast<const char*>(b.data), b.size);
        r.consumed = b.consumed;
    });
    return r;
}

const std::string kBadCRC = std::string("BadCRC: ") + kMsgBadCRC;
const std::string kBadKey = std::string("BadKey: ") + kMsgBadKey;
const std::string kUncompress = std::string("Uncompress: ") + kMsgCouldNotUncompressBlock;
const std::string kDamaged = std::string("EArchiver: ") + kMsgDamaged;
const std::string kRead = std::string("Read: ") + kMsgReadError;

TEST(BlockDecoder, WellFormedBlocks) {
    const std::string text = "Contabilidad Kavo, bloque de prueba. ";
    std::string big;
    while (big.size() < kBlockSize) big += text;
    big.resize(kBlockSize);  // inflates to exactly BlockSize
    struct Case { const char* what; std::string bytes; bool encrypted; std::string expected; int64_t consumed; };
    const std::string enc13 = Encrypt("trece bytes!!", "clave correcta");
    const Case cases[] = {
        {"stored", Block(-5, Crc("abcde"), "abcde"), false, "abcde", 13},
        {"compressed", Block(int32_t(Deflate(text).size()), Crc(Deflate(text)), Deflate(text)), false, text,
         8 + int64_t(Deflate(text).size())},
        {"compressed to exactly BlockSize", Block(int32_t(Deflate(big).size()), Crc(Deflate(big)), Deflate(big)),
         false, big, 8 + int64_t(Deflate(big).size())},
        {"encrypted stored, 13 plain bytes in 16 + 1", Block(-17, Crc("trece bytes!!"), enc13), true,
         "trece bytes!!", 25},
        {"encrypted compressed", Block(int32_t(Encrypt(Deflate(text), "clave correcta").size()), Crc(Deflate(text)),
                                       Encrypt(Deflate(text), "clave correcta")),
         true, text, 8 + int64_t(Encrypt(Deflate(text), "clave correcta").size())},
    };
    for (const auto& c : cases) {
        const Result r = Decode(c.bytes, c.encrypted);
        EXPECT_EQ(r.error, "") << c.what;
        EXPECT_EQ(r.data, c.expected) << c.what;
        EXPECT_EQ(r.consumed, c.consumed) << c.what;
    }
}

TEST(BlockDecoder, FaultsAndTheirErrors) {
    std::string tooBig;
    while (tooBig.size() <= kBlockSize) tooBig += "datos que no caben ";
    const std::string bigZ = Deflate(tooBig);
    const std::string enc = Encrypt("trece bytes!!", "clave correcta");
    struct Case { const char* what; std::string bytes; bool encrypted; std::string error; };
    const Case cases[] = {
        {"checksum differs", Block(-5, Crc("abcde") ^ 1, "abcde"), false, kBadCRC},
        {"standard CRC-32 instead of the archive's", Block(-3, 0x352441C2u, "abc"), false, kBadCRC},
        {"empty compressed block", Block(0, 0, ""), false, kUncompress},
        {"not a zlib stream", Block(5, Crc("abcde"), "abcde"), false, kUncompress},
        {"inflates past BlockSize", Block(int32_t(bigZ.size()), Crc(bigZ), bigZ), false, kUncompress},
        {"truncated zlib stream", Block(4, Crc(Deflate("hola mundo").substr(0, 4)), Deflate("hola mundo").substr(0, 4)),
         false, kUncompress},
        {"wrong key", Block(-17, Crc("trece bytes!!"), Encrypt("trece bytes!!", "otra clave")), true, kBadKey},
        {"longer than the input buffer", Block(1035, 0, std::string(1035, 'x')), false, kDamaged},
        {"stored longer than the input buffer", Block(-1035, 0, std::string(1035, 'x')), false, kDamaged},
        {"length INT32_MIN", Block(INT32_MIN, 0, ""), false, kDamaged},
        {"encrypted, no cipher text", Block(-1, 0, std::string(1, '\0')), true, kDamaged},
        {"encrypted, empty", Block(-0, 0, ""), true, kDamaged},
        {"encrypted, length-1 not a multiple of 8", Block(-13, 0, enc.substr(0, 12) + '\3'), true, kDamaged},
        {"encrypted, padding count 8", Block(-17, 0, enc.substr(0, 16) + '\x08'), true, kDamaged},
        {"encrypted, padding count 255", Block(-17, 0, enc.substr(0, 16) + '\xFF'), true, kDamaged},
        {"data cut short", Block(-5, Crc("abcde"), "abc"), false, kRead},
        {"header cut short", Block(-5, Crc("abcde"), "").substr(0, 6), false, kRead},
    };
    for (const auto& c : cases) EXPECT_EQ(Decode(c.bytes, c.encrypted).error, c.error) << c.what;
    // The inflater kept between blocks is sound again after each failure.
    const std::string z = Deflate("despues de los fallos");
    EXPECT_EQ(Decode(Block(int32_t(z.size()), Crc(z), z), false).data, "despues de los fallos");
}

// Everything a caller of the block loop can observe.
struct Transcript {
    std::vector<std::string> blocks;  // data and consumed count of each delivered block
    std::string error;
    int64_t position = 0;
    bool operator==(const Transcript& o) const {
        return blocks == o.blocks && error == o.error && position == o.position;
    }
};
std::string Delivered(const DecodedBlock& b) {
    return std::string(reinterpret_cast<const char*>(b.data), b.size) + " @" + std::to_string(b.consumed);
}

// How the blocks of a part are decoded.
enum class Way { OneByOne, Batches, Pipeline };

// The blocks of a part read while the bytes consumed are below `packed`:
// one by one with DecodeBlock, with DecodeBlocks in batches of `ways`, or
// through a BlockPipeline. The caller's handling of the delivery with index
// `failAt` fails, as a failed write would.
Transcript Decode(const std::string& bytes, int64_t packed, Way way, size_t ways, bool encrypted,
                  const std::string& key, int failAt = -1) {
    std::vector<std::vector<uint8_t>> in(std::max<size_t>(ways, 1), std::vector<uint8_t>(BlockInputCapacity(kBlockSize)));
    std::vector<uint8_t*> inputs;
    for (auto& v : in) inputs.push_back(v.data());
    std::vector<uint8_t> out(kBlockSize);
    MemoryStream s(bytes.data(), bytes.size());
    Decoder d(key);
    BlockPipeline pipeline(in[0].size(), out.size());
    Transcript t;
    auto deliver = [&](const DecodedBlock& b) {
        if (static_cast<int>(t.blocks.size()) == failAt) throw EArchiver("no se pudo escribir");
        t.blocks.push_back(Delivered(b));
    };
    t.error = testing::CaughtError([&] {
        int64_t used = 0;
        do {
            if (way == Way::OneByOne) {
                const DecodedBlock b = DecodeBlock(s, {in[0].data(), in[0].size(), out.data(), out.size()}, encrypted, d);
                deliver(b);
                used += b.consumed;
            } else if (way == Way::Batches) {
                used += DecodeBlocks(s, {inputs.data(), ways, in[0].size(), out.data(), out.size()}, packed - used,
                                     encrypted, d, deliver);
            } else {
                used += pipeline.DecodeBlocks(s, packed - used, encrypted, d, deliver);
            }
        } while (used < packed);
    });
    t.position = s.Position();
    return t;
}

// Decoding in batches of any size, or reading ahead on a second thread,
// gives exactly what decoding one by one gives, also when the caller fails
// a block: the same blocks in order, the same error after the blocks before
// the faulty one, the stream left at the same place.
TEST(BlockDecoder, BatchesAndReadAheadBehaveLikeOneByOne) {
    const std::string key = "clave correcta";
    auto plainBlocks = [](bool encrypted, const std::string& k) {
        std::vector<std::string> blocks;
        for (int i = 0; i < 7; ++i) {
            std::string plain;
            for (int j = 0; j <= i * 13; ++j) plain += "bloque " + std::to_string(i) + " linea " + std::to_string(j) + "; ";
            plain.resize(std::min<size_t>(plain.size(), kBlockSize));
            const bool stored = i % 3 == 1;
            std::string data = stored ? plain.substr(0, 40 + i) : Deflate(plain);
            const uint32_t crc = Crc(data);
            if (encrypted) data = Encrypt(data, k);
            blocks.push_back(Block(stored ? -int32_t(data.size()) : int32_t(data.size()), crc, data));
        }
        return blocks;
    };
    const std::vector<std::string> plain = plainBlocks(false, key), enc = plainBlocks(true, key);
    auto join = [](std::vector<std::string> blocks, size_t at, const std::string& replacement) {
        if (at < blocks.size()) blocks[at] = replacement;
        std::string all;
        for (const auto& b : blocks) all += b;
        return all;
    };
    auto badCrc = [](std::string b) { b[4] ^= 1; return b; };
    const std::string all = join(plain, 99, "");
    struct Case { std::string what; std::string bytes; int64_t packed; bool encrypted; std::string key; };
    std::vector<Case> cases = {
        {"all good", all, int64_t(all.size()), false, key},
        {"part ends inside the third block", all, int64_t(plain[0].size() + plain[1].size() + 1), false, key},
        {"part ends after the second block", all, int64_t(plain[0].size() + plain[1].size()), false, key},
        {"not a zlib stream at 2", join(plain, 2, Block(5, Crc("abcde"), "abcde")), int64_t(all.size()), false, key},
        {"longer than the input buffer at 4", join(plain, 4, Block(1035, 0, std::string(1035, 'x'))), 1 << 20,
         false, key},
        {"cut short in the last block", all.substr(0, all.size() - 3), int64_t(all.size()), false, key},
        {"encrypted, all good", join(enc, 99, ""), int64_t(join(enc, 99, "").size()), true, key},
        {"encrypted, wrong key", join(enc, 99, ""), int64_t(join(enc, 99, "").size()), true, "otra clave"},
        {"encrypted, bad padding count at 3", join(enc, 3, Block(-17, 0, std::string(16, 'x') + '\x09')),
         int64_t(join(enc, 99, "").size()), true, key},
    };
    for (size_t at : {0, 1, 3, 4, 6}) {
        cases.push_back({"checksum differs at " + std::to_string(at), join(plain, at, badCrc(plain[at])),
                         int64_t(all.size()), false, key});
        cases.push_back({"encrypted, checksum differs at " + std::to_string(at), join(enc, at, badCrc(enc[at])),
                         int64_t(join(enc, 99, "").size()), true, key});
    }
    auto same = [](const Transcript& got, const Transcript& expected) {
        return ::testing::Message() << got.blocks.size() << " blocks, \"" << got.error << "\" at " << got.position
                                  << "; expected " << expected.blocks.size() << " blocks, \"" << expected.error
                                  << "\" at " << expected.position;
    };
    for (const auto& c : cases) {
        // The caller fails no block, or the first, a middle or the last one.
        for (int failAt : {-1, 0, 3, 6}) {
            const Transcript expected = Decode(c.bytes, c.packed, Way::OneByOne, 1, c.encrypted, c.key, failAt);
            for (size_t ways = 1; ways <= kMaxBatchBlocks + 1; ++ways) {
                const Transcript got = Decode(c.bytes, c.packed, Way::Batches, ways, c.encrypted, c.key, failAt);
                EXPECT_TRUE(got == expected) << c.what << ", failing " << failAt << ", " << ways << " at a time: "
                                             << same(got, expected);
            }
            const Transcript got = Decode(c.bytes, c.packed, Way::Pipeline, 1, c.encrypted, c.key, failAt);
            EXPECT_TRUE(got == expected) << c.what << ", failing " << failAt << ", read ahead: " << same(got, expected);
        }
    }
}

}  // namespace
}  // namespace kav
