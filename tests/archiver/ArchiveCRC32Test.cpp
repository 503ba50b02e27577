#include "ArchiveCRC32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kav {
namespace {

TEST(ArchiveCRC32, ReproducesTheFormatsCheckValues) {
    struct Case { std::string data; uint32_t expected; };
    const Case cases[] = {
        {"", 0x00000000u},
        {"abc", 0x932BC606u},        // the standard CRC-32 would give 0x352441C2
        {"123456789", 0x1B948A57u},  // the standard CRC-32 would give 0xCBF43926
    };
    for (const auto& c : cases)
        EXPECT_EQ(ArchiveCRC32(c.data.data(), c.data.size()), c.expected) << c.data;
}

// The definition, step by step: the word at byte offset k of the standard
// table's little-endian layout.
uint32_t Reference(const std::string& data) {
    uint8_t bytes[1024 + 4] = {};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t r = i;
        for (int bit = 0; bit < 8; ++bit) r = (r & 1) ? (r >> 1) ^ 0xEDB88320u : r >> 1;
        for (int b = 0; b < 4; ++b) bytes[4 * i + b] = static_cast<uint8_t>(r >> (8 * b));
    }
    uint32_t reg = 0xFFFFFFFFu;
    for (unsigned char c : data) {
        const uint32_t k = (reg ^ c) & 0xFF;
        const uint32_t w = bytes[k] | bytes[k + 1] << 8 | bytes[k + 2] << 16 | uint32_t(bytes[k + 3]) << 24;
        reg = (reg >> 8) ^ w;
    }
    return reg ^ 0xFFFFFFFFu;
}

TEST(ArchiveCRC32, MatchesTheDefinitionOnEveryLengthAndByte) {
    std::string data;
    uint32_t x = 12345;
    for (int i = 0; i < 600; ++i) {
        x = x * 1103515245u + 12345u;
        data += static_cast<char>(x >> 16);
    }
    for (size_t n = 0; n <= data.size(); ++n)
        ASSERT_EQ(ArchiveCRC32(data.data(), n), Reference(data.substr(0, n))) << n;
}

TEST(ArchiveCRC32, PiecewiseUpdateMatchesOneShot) {
    std::string data(1000, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7 + 3);
    uint32_t reg = 0xFFFFFFFFu;
    reg = ArchiveCRC32Update(reg, data.data(), 333);
    reg = ArchiveCRC32Update(reg, data.data() + 333, data.size() - 333);
    EXPECT_EQ(reg ^ 0xFFFFFFFFu, ArchiveCRC32(data.data(), data.size()));
}

// Every combination of lengths from a set for up to three pieces (equal,
// empty, one byte, ragged tails), then random combinations for more pieces
// than one group holds; every result must be the single checksum.
TEST(ArchiveCRC32, MultiMatchesSingleForEveryLengthCombination) {
    std::string data(4000, '\0');
    uint32_t x = 99;
    for (auto& c : data) c = static_cast<char>((x = x * 1103515245u + 12345u) >> 16);
    const size_t kLengths[] = {0, 1, 2, 7, 8, 63, 255, 256, 600};
    auto check = [&](const std::vector<size_t>& lengths) {
        std::vector<CRC32Piece> pieces;
        for (size_t i = 0; i < lengths.size(); ++i) pieces.push_back({data.data() + 601 * i, lengths[i]});
        std::vector<uint32_t> results(pieces.size(), 0xDEADBEEFu);
        ArchiveCRC32Multi(pieces.data(), pieces.size(), results.data());
        for (size_t i = 0; i < pieces.size(); ++i)
            ASSERT_EQ(results[i], ArchiveCRC32(pieces[i].data, pieces[i].size)) << "piece " << i << " of " << pieces.size();
    };
    for (size_t a : kLengths) {
        check({a});
        for (size_t b : kLengths) {
            check({a, b});
            for (size_t c : kLengths) check({a, b, c});
        }
    }
    for (int round = 0; round < 300; ++round) {
        std::vector<size_t> lengths(4 + round % 3);
        for (auto& n : lengths) {
            x = x * 1103515245u + 12345u;
            n = kLengths[(x >> 16) % 9] + (x >> 28);
        }
        check(lengths);
    }
}

}  // namespace
}  // namespace kav
