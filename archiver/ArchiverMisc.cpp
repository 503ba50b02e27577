#include "ArchiverMisc.h"

#include <cmath>
#include <cstring>

#include "Stream.h"
#include "TextCodec.h"

namespace kav {

void RaiseDamaged() { throw EArchiver(kMsgDamaged); }

std::string FormatText(std::string_view format, std::initializer_list<std::string> values) {
    std::string out;
    auto next = values.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c == '%' && i + 1 < format.size()) {
            const char k = format[i + 1];
            if (k == '%') {
                out += '%';
                ++i;
                continue;
            }
            if ((k == 's' || k == 'd') && next != values.end()) {
                out += *next++;
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

// ---- 80-bit extended: 64-bit significand with explicit integer bit in
// bytes 0-7, then 15-bit exponent (bias 16383) and the sign in bytes 8-9.

double ExtendedToDouble(const Extended80& x) {
    uint64_t mant = 0;
    for (int i = 7; i >= 0; --i) mant = (mant << 8) | x[i];
    const int se = x[8] | (x[9] << 8);
    const bool negative = (se & 0x8000) != 0;
    const int exp = se & 0x7FFF;
    double v;
    if (exp == 0x7FFF) {
        v = (mant << 1) == 0 ? HUGE_VAL : std::nan("");
    } else {
        // mant * 2^(exp - bias - 63); exponent 0 (denormal) scales as exponent 1.
        // The uint64 -> double conversion rounds to nearest; ldexp is exact
        // for normal results.
        v = std::ldexp(static_cast<double>(mant), (exp == 0 ? 1 : exp) - 16383 - 63);
    }
    return negative ? -v : v;
}

Extended80 DoubleToExtended(double d) {
    Extended80 x{};
    uint64_t mant = 0;
    int exp = 0;
    if (std::isnan(d)) {
        mant = 0xC000000000000000ull;
        exp = 0x7FFF;
    } else if (std::isinf(d)) {
        mant = 0x8000000000000000ull;
        exp = 0x7FFF;
    } else if (d != 0) {
        int e = 0;
        const double m = std::frexp(std::fabs(d), &e);  // m in [0.5, 1)
        mant = static_cast<uint64_t>(std::ldexp(m, 64));
        exp = e - 1 + 16383;
    }
    for (int i = 0; i < 8; ++i) x[i] = static_cast<uint8_t>(mant >> (8 * i));
    const int se = exp | (std::signbit(d) ? 0x8000 : 0);
    x[8] = static_cast<uint8_t>(se);
    x[9] = static_cast<uint8_t>(se >> 8);
    return x;
}

// ---- primitives

int32_t ReadInt32(Stream& s) {
    uint8_t b[4];
    s.ReadBuffer(b, 4);
    return static_cast<int32_t>(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 |
                                uint32_t(b[3]) << 24);
}

uint16_t ReadUInt16(Stream& s) {
    uint8_t b[2];
    s.ReadBuffer(b, 2);
    return static_cast<uint16_t>(b[0] | b[1] << 8);
}

uint8_t ReadByte(Stream& s) {
    uint8_t b;
    s.ReadBuffer(&b, 1);
    return b;
}

double ReadExtended(Stream& s) {
    Extended80 x;
    s.ReadBuffer(x.data(), x.size());
    return ExtendedToDouble(x);
}

std::string ReadString(Stream& s, int32_t cap) {
    const int32_t n = ReadInt32(s);
    if (n < 0 || n > cap || n > s.Remaining()) RaiseDamaged();
    std::string ansi(static_cast<size_t>(n), '\0');
    s.ReadBuffer(ansi.data(), ansi.size());
    return text::AnsiToUtf8(ansi);
}

void PutInt32(std::string& out, int32_t v) {
    const auto u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(u >> (8 * i)));
}

void PutUInt16(std::string& out, uint16_t v) {
    out.push_back(static_cast<char>(v));
    out.push_back(static_cast<char>(v >> 8));
}

void PutByte(std::string& out, uint8_t v) { out.push_back(static_cast<char>(v)); }

void PutExtended(std::string& out, double v) {
    const Extended80 x = DoubleToExtended(v);
    out.append(reinterpret_cast<const char*>(x.data()), x.size());
}

void PutString(std::string& out, const std::string& utf8) {
    const std::string ansi = text::Utf8ToAnsi(utf8);
    PutInt32(out, static_cast<int32_t>(ansi.size()));
    out += ansi;
}

}  // namespace kav
