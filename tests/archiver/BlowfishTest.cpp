#include "Blowunit.h"
#include "TextCodec.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace kav {
namespace {

std::vector<uint8_t> Hex(const std::string& h) {
    std::vector<uint8_t> v;
    for (size_t i = 0; i + 1 < h.size(); i += 2) v.push_back(static_cast<uint8_t>(std::stoi(h.substr(i, 2), nullptr, 16)));
    return v;
}

// Runs one mode over a byte array and returns the first `keep` output bytes.
std::vector<uint8_t> Cipher(TBlowFish& bf, TCipherMode mode, bool encipher, std::vector<uint8_t> in,
                         bool keyReady = false) {
    std::vector<uint8_t> out(in.size() + 8, 0xEE);
    bf.SetInputType(TSourceType::SourceByteArray);
    bf.SetCipherMode(mode);
    bf.SetInputPointer(in.data());
    bf.SetOutputPointer(out.data());
    bf.SetInputLength(static_cast<uint16_t>(in.size()));
    encipher ? bf.EncipherData(keyReady) : bf.DecipherData(keyReady);
    out.resize(bf.InputLength());
    return out;
}

// The key is text; raw key bytes go in as the text that Windows-1252 maps them to.
void SetKeyBytes(TCrypto& c, const std::vector<uint8_t>& key) {
    c.SetKey(text::AnsiToUtf8(std::string(key.begin(), key.end())));
}

TEST(Blowfish, PublishedVectorsBothDirections) {
    struct Case { std::string key; const char* plain; const char* cipher; };
    const std::string varKey = "F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677";
    std::string key65;
    for (int i = 0; i < 65; ++i) key65 += "0123456789ABCDEF"[((i * 37 + 11) & 0xFF) >> 4], key65 += "0123456789ABCDEF"[(i * 37 + 11) & 0xF];
    const Case cases[] = {
        {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
        {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
        {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
        {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
        {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
        {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
        {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
        // variable key lengths: bytes used cyclically when not a multiple of 4
        {varKey.substr(0, 20), "FEDCBA9876543210", "122BA70B3AB64AE0"},  // 10 bytes
        {varKey.substr(0, 26), "FEDCBA9876543210", "884F80625060B8B4"},  // 13 bytes
        {varKey, "FEDCBA9876543210", "05044B62FA52D080"},                // 24 bytes
        {key65, "0000000000000000", "FF06E85EAB989C6E"},                 // 65 bytes, the longest expanded
    };
    for (const auto& c : cases) {
        TBlowFish bf;
        SetKeyBytes(bf, Hex(c.key));
        EXPECT_EQ(Cipher(bf, TCipherMode::ECBMode, true, Hex(c.plain)), Hex(c.cipher)) << c.key;
        EXPECT_EQ(Cipher(bf, TCipherMode::ECBMode, false, Hex(c.cipher)), Hex(c.plain)) << c.key;
    }
}

TEST(Blowfish, KeyLengthRule) {
    // Keys outside 8..65 bytes run with the initial tables, like the empty key.
    auto encipherZero = [](const std::string& key) {
        TBlowFish bf;
        bf.SetKey(key);
        return Cipher(bf, TCipherMode::ECBMode, true, std::vector<uint8_t>(8, 0));
    };
    const auto initial = encipherZero("");
    for (const std::string& key : {std::string(7, 'k'), std::string(66, 'k')})
        EXPECT_EQ(encipherZero(key), initial) << key.size();
    for (const std::string& key : {std::string(8, 'k'), std::string(65, 'k')})
        EXPECT_NE(encipherZero(key), initial) << key.size();
}

TEST(Blowfish, ModesRoundTripWithTheirLengths) {
    struct Case { TCipherMode mode; size_t in; size_t out; };
    const Case cases[] = {
        {TCipherMode::ECBMode, 13, 16},  // zero-padded to the block size
        {TCipherMode::CBCMode, 13, 16},
        {TCipherMode::CFBMode, 12, 12},  // one block and a chunk of 4, no padding
        {TCipherMode::CFBMode, 16, 16},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> plain(c.in);
        for (size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<uint8_t>(i * 11 + 1);
        TBlowFish enc, dec;
        for (TBlowFish* b : {&enc, &dec}) {
            b->SetKey("clave de prueba");
            b->SetIVector("12345678");
        }
        const auto cipher = Cipher(enc, c.mode, true, plain);
        ASSERT_EQ(cipher.size(), c.out);
        auto back = Cipher(dec, c.mode, false, cipher);
        back.resize(c.in);
        EXPECT_EQ(back, plain) << static_cast<int>(c.mode);
    }
}

TEST(Blowfish, ChainingBeforeAnyPreparationStartsFromTheIVector) {
    // Never prepared: the initial tables, as with the empty key.
    for (TCipherMode mode : {TCipherMode::CBCMode, TCipherMode::CFBMode}) {
        TBlowFish unprepared, prepared;
        unprepared.SetIVector("12345678");
        prepared.SetIVector("12345678");
        const std::vector<uint8_t> in = Hex("0123456789ABCDEF0011223344556677");
        EXPECT_EQ(Cipher(unprepared, mode, false, in, true), Cipher(prepared, mode, false, in, false))
            << static_cast<int>(mode);
    }
}

TEST(Blowfish, DecipheringTwiceWithFreshScheduleGivesTheSameBytes) {
    TBlowFish bf;
    bf.SetKey("otra clave larga");
    const std::vector<uint8_t> block = Hex("0123456789ABCDEF");
    EXPECT_EQ(Cipher(bf, TCipherMode::ECBMode, false, block), Cipher(bf, TCipherMode::ECBMode, false, block));
    // A changed key is honoured although the previous schedule was kept.
    const auto first = Cipher(bf, TCipherMode::ECBMode, false, block);
    bf.SetKey("una clave distinta");
    EXPECT_NE(Cipher(bf, TCipherMode::ECBMode, false, block), first);
}

TEST(Blowfish, FileModeRoundTrip) {
    const std::string in = "bf_in.bin", mid = "bf_mid.bin", out = "bf_out.bin";
    std::string data(5000, '\0');  // one full piece and a short one
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7);
    std::ofstream(in, std::ios::binary) << data;
    TBlowFish bf;
    bf.SetKey("clave de fichero");
    bf.SetInputType(TSourceType::SourceFile);
    bf.SetInputFilePath(in);
    bf.SetOutputFilePath(mid);
    bf.EncipherData(false);
    bf.SetInputFilePath(mid);
    bf.SetOutputFilePath(out);
    bf.DecipherData(false);
    std::ifstream f(out, std::ios::binary);
    std::string back((std::istreambuf_iterator<char>(f)), {});
    ASSERT_EQ(back.size(), 4096u + 904u);  // the short piece padded to 8
    EXPECT_EQ(back.substr(0, data.size()), data);
    for (const auto& p : {in, mid, out}) std::remove(p.c_str());
}

}  // namespace
}  // namespace kav
