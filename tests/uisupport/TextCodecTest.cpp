#include "TextCodec.h"

#include <gtest/gtest.h>

namespace {

TEST(TextCodec, AnsiAndUtf8RoundTrip) {
    struct Case { std::string ansi, utf8; };
    const Case cases[] = {
        {"", ""},
        {"CONTA.EXE", "CONTA.EXE"},
        {"Versi\xF3n", "Versi\xC3\xB3n"},                   // ó
        {"A\xF1o \xBF?", "A\xC3\xB1o \xC2\xBF?"},           // ñ ¿
        {"\x80", "\xE2\x82\xAC"},                            // euro sign
        {"\x81", "\xC2\x81"},                                // unassigned: C1 control
    };
    for (const auto& c : cases) {
        EXPECT_EQ(text::AnsiToUtf8(c.ansi), c.utf8);
        EXPECT_EQ(text::Utf8ToAnsi(c.utf8), c.ansi);
    }
}

TEST(TextCodec, UnrepresentableAndMalformedBecomeQuestionMarks) {
    EXPECT_EQ(text::Utf8ToAnsi("\xE4\xB8\xAD"), "?");  // a CJK character
    EXPECT_EQ(text::Utf8ToAnsi("a\xC3"), "a?");        // truncated sequence
    EXPECT_EQ(text::Utf8ToAnsi("\xC0\x80"), "?");      // overlong NUL
}

TEST(TextCodec, Utf16RoundTripIncludingSurrogates) {
    const std::string utf8 = "Informaci\xC3\xB3n \xF0\x9F\x98\x80";
    const std::u16string wide = text::Utf8ToUtf16(utf8);
    EXPECT_EQ(wide.size(), 14u);  // 12 characters and one surrogate pair
    EXPECT_EQ(text::Utf16ToUtf8(wide), utf8);
    EXPECT_EQ(text::Utf16ToUtf8(u"\xD800"), "\xEF\xBF\xBD");  // lone surrogate
}

}  // namespace
