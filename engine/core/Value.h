#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace foliant::engine {

// A calendar date: days since 1970-01-01 (proleptic Gregorian).
struct Date {
    std::int32_t days = 0;
    friend auto operator<=>(const Date&, const Date&) = default;
};

// A time of day: seconds since midnight, 0..86399.
struct TimeOfDay {
    std::int32_t seconds = 0;
    friend auto operator<=>(const TimeOfDay&, const TimeOfDay&) = default;
};

// A date with time of day: seconds since 1970-01-01 00:00:00.
struct DateTime {
    std::int64_t seconds = 0;
    friend auto operator<=>(const DateTime&, const DateTime&) = default;
};

using Bytes = std::vector<std::uint8_t>;

// One value of a record field or formula result. monostate is the database null.
using Value = std::variant<std::monostate, bool, std::int64_t, double, std::string, Date, TimeOfDay,
                           DateTime, Bytes>;

inline bool IsNull(const Value& v) {
    return std::holds_alternative<std::monostate>(v);
}

// Civil calendar conversions (Howard Hinnant's algorithms), exact for all int32 day counts
// the engine uses.
constexpr std::int32_t DaysFromCivil(std::int32_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int32_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int32_t>(doe) - 719468;
}

struct CivilDate {
    std::int32_t year;
    unsigned month;
    unsigned day;
};

constexpr CivilDate CivilFromDays(std::int32_t z) {
    z += 719468;
    const std::int32_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int32_t y = static_cast<std::int32_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {y + (m <= 2), m, d};
}

// 0 = Sunday … 6 = Saturday.
constexpr int Weekday(std::int32_t days) {
    return static_cast<int>(days >= -4 ? (days + 4) % 7 : (days + 5) % 7 + 6);
}

} // namespace foliant::engine
