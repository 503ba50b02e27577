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
