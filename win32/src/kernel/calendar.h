// Calendar arithmetic shared by the clock and the file times.
#pragma once

#include <cstdint>

namespace win32::calendar {

inline constexpr int64_t kMsPerDay = 86400000;

// Days since 1970-01-01 of a proleptic Gregorian date (month 1..12).
constexpr int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

}  // namespace win32::calendar
