#include "ArchiverMisc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kav {
namespace {

TEST(Extended, KnownEncodingsBothWays) {
    // bytes as the x87 unit stores them: significand (explicit integer bit)
    // little-endian, then sign and exponent (bias 16383).
    struct Case { double value; Extended80 bytes; };
    const Case cases[] = {
        {0.0, {0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x00}},
        {1.0, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}},
        {-2.5, {0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0xC0}},
        {45000.5, {0, 0, 0, 0, 0, 0x80, 0xC8, 0xAF, 0x0E, 0x40}},  // a date at noon
        {std::numeric_limits<double>::infinity(), {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F}},
        {std::numeric_limits<double>::denorm_min(), {0, 0, 0, 0, 0, 0, 0, 0x80, 0xCD, 0x3B}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DoubleToExtended(c.value), c.bytes) << c.value;
        EXPECT_EQ(ExtendedToDouble(c.bytes), c.value) << c.value;
    }
}

TEST(Extended, ValuesOutsideDoubleAndNaN) {
    // More significand than a double holds rounds to nearest.
    const Extended80 third = {0xAB, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xFD, 0x3F};
    EXPECT_EQ(ExtendedToDouble(third), 1.0 / 3.0);
    const Extended80 huge = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x7F};  // 2^16383
    EXPECT_TRUE(std::isinf(ExtendedToDouble(huge)));
    const Extended80 tiny = {0, 0, 0, 0, 0, 0, 0, 0x80, 0x01, 0x00};  // 2^-16382
    EXPECT_EQ(ExtendedToDouble(tiny), 0.0);
    const Extended80 denormal = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0};       // exponent 0: no crash
    EXPECT_EQ(ExtendedToDouble(denormal), 0.0);
    EXPECT_TRUE(std::isnan(ExtendedToDouble(DoubleToExtended(std::nan("")))));
    // Every double survives the trip.
    for (double d : {3.141592653589793, -1e-300, 1e308, 45000.123456789, 5e-324})
        EXPECT_EQ(ExtendedToDouble(DoubleToExtended(d)), d) << d;
}

}  // namespace
}  // namespace kav
