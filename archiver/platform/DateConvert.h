// Day-count dates (days since 30 December 1899, fraction = time of day) and
// broken-down civil times, without any time-zone handling.
#pragma once
#include <cmath>
#include <cstdint>

namespace kav::os {

struct CivilTime {
    int year, month, day, hour, minute, second, millisecond;
};

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
constexpr int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

constexpr int64_t kUnixEpochDay = 25569;  // 1970-01-01 as a day count

// The years 1 to 9999 as day counts: 1 January 0001 up to, not including,
// 1 January 10000.
constexpr double kFirstDate = -693593;
constexpr double kEndDate = 2958466;

inline CivilTime CivilFromDate(double date) {
    // Held to the years 1 to 9999 (NaN too): the arithmetic below is defined
    // only for dates whose millisecond count fits its 64 bits.
    if (!(date >= kFirstDate)) date = kFirstDate;
    if (date > kEndDate - 0.001 / 86400) date = kEndDate - 0.001 / 86400;
    // Whole milliseconds, rounded, so that 12:00:01.9999 does not lose a second.
    int64_t ms = static_cast<int64_t>(std::llround(date * 86400000.0));
    int64_t days = ms >= 0 ? ms / 86400000 : -((-ms + 86399999) / 86400000);
    int64_t rest = ms - days * 86400000;
    int64_t z = days - kUnixEpochDay + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    int64_t y = static_cast<int64_t>(yoe) + era * 400 + (m <= 2);
    return CivilTime{static_cast<int>(y), static_cast<int>(m), static_cast<int>(d),
                     static_cast<int>(rest / 3600000), static_cast<int>(rest / 60000 % 60),
                     static_cast<int>(rest / 1000 % 60), static_cast<int>(rest % 1000)};
}

inline double DateFromCivil(const CivilTime& t) {
    int64_t days = DaysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day)) +
                   kUnixEpochDay;
    double ms = ((t.hour * 60.0 + t.minute) * 60.0 + t.second) * 1000.0 + t.millisecond;
    return static_cast<double>(days) + ms / 86400000.0;
}

}  // namespace kav::os
