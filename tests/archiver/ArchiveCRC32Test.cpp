#include "ArchiveCRC32.h"

#include <gtest/gtest.h>

#include <string>

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

}  // namespace
}  // namespace kav
