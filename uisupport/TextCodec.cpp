#include "TextCodec.h"

#include <cstdint>

namespace text {
namespace {

// Code points of bytes 0x80..0x9F in Windows-1252.
constexpr char32_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

constexpr char32_t kInvalid = 0xFFFFFFFF;

// Decodes one code point at s[i], advancing i; kInvalid for malformed input.
char32_t NextCodePoint(std::string_view s, size_t& i) {
    const auto b0 = static_cast<unsigned char>(s[i++]);
    if (b0 < 0x80) return b0;
    int extra;
    char32_t c;
    if ((b0 & 0xE0) == 0xC0) { extra = 1; c = b0 & 0x1F; }
    else if ((b0 & 0xF0) == 0xE0) { extra = 2; c = b0 & 0x0F; }
    else if ((b0 & 0xF8) == 0xF0) { extra = 3; c = b0 & 0x07; }
    else return kInvalid;
    for (int k = 0; k < extra; ++k) {
        if (i >= s.size()) return kInvalid;
        const auto b = static_cast<unsigned char>(s[i]);
        if ((b & 0xC0) != 0x80) return kInvalid;
        c = (c << 6) | (b & 0x3F);
        ++i;
    }
    static constexpr char32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
    if (c < kMin[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return kInvalid;
    return c;
}

}  // namespace

std::string AnsiToUtf8(std::string_view ansi) {
    std::string out;
    out.reserve(ansi.size());
    for (char ch : ansi) {
        const auto b = static_cast<unsigned char>(ch);
        AppendUtf8(out, (b >= 0x80 && b < 0xA0) ? kHigh[b - 0x80] : char32_t(b));
    }
    return out;
}

std::string Utf8ToAnsi(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const char32_t c = NextCodePoint(utf8, i);
        char mapped = '?';
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            mapped = static_cast<char>(c);
        } else {
            for (int k = 0; k < 32; ++k)
                if (kHigh[k] == c) mapped = static_cast<char>(0x80 + k);
        }
        out += mapped;
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        char32_t c = NextCodePoint(utf8, i);
        if (c == kInvalid) c = 0xFFFD;
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (size_t i = 0; i < utf16.size(); ++i) {
        char32_t c = utf16[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::string UpperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

}  // namespace text
