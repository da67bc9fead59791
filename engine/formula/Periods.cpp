#include "engine/formula/Lexer.h"
#include "engine/formula/Syntax.h"

#include <array>

namespace foliant::engine::formula {

namespace {

constexpr std::array<std::string_view, kPeriodCount> kPeriodNames = {
    "WeekToDateFromSun",   "MonthToDate",       "YearToDate",           "Last7Days",
    "Last4WeeksToSun",     "LastFullWeek",      "LastFullMonth",        "AllDatesToToday",
    "AllDatesToYesterday", "AllDatesFromToday", "AllDatesFromTomorrow", "Aged0To30Days",
    "Aged31To60Days",      "Aged61To90Days",    "Over90Days",           "Next30Days",
    "Next31To60Days",      "Next61To90Days",    "Next91To365Days",      "Calendar1stQtr",
    "Calendar2ndQtr",      "Calendar3rdQtr",    "Calendar4thQtr",       "Calendar1stHalf",
    "Calendar2ndHalf",     "LastYearMTD",       "LastYearYTD",
};

Date Day(std::int32_t y, unsigned m, unsigned d) {
    return Date{DaysFromCivil(y, m, d)};
}

Date Plus(Date d, std::int32_t days) {
    return Date{d.days + days};
}

DateRange Span(Date first, Date last) {
    return DateRange{first, last};
}

bool IsLeap(std::int32_t y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

// The same day one year earlier; 29 February becomes 28 February.
Date OneYearBack(const CivilDate& c) {
    const std::int32_t y = c.year - 1;
    unsigned d = c.day;
    if (c.month == 2 && d == 29 && !IsLeap(y)) {
        d = 28;
    }
    return Day(y, c.month, d);
}

} // namespace

std::string_view PeriodName(Period p) {
    return kPeriodNames[static_cast<std::size_t>(p)];
}

std::optional<Period> FindPeriod(std::string_view word) {
    for (std::size_t i = 0; i < kPeriodNames.size(); ++i) {
        if (IsKeyword(word, kPeriodNames[i])) {
            return static_cast<Period>(i);
        }
    }
    return std::nullopt;
}

DateRange PeriodRange(Period p, Date today) {
    const CivilDate c = CivilFromDays(today.days);
    const int weekday = Weekday(today.days); // 0 = Sunday
    const Date sunday = Plus(today, -weekday);
    switch (p) {
    case Period::WeekToDateFromSun:
        return Span(sunday, today);
    case Period::MonthToDate:
        return Span(Day(c.year, c.month, 1), today);
    case Period::YearToDate:
        return Span(Day(c.year, 1, 1), today);
    case Period::Last7Days:
        return Span(Plus(today, -6), today);
    case Period::Last4WeeksToSun: {
        // The last Sunday strictly before today, and the 27 days before it.
        const Date lastSunday = Plus(today, weekday == 0 ? -7 : -weekday);
        return Span(Plus(lastSunday, -27), lastSunday);
    }
    case Period::LastFullWeek:
        return Span(Plus(sunday, -7), Plus(sunday, -1));
    case Period::LastFullMonth: {
        const Date firstOfThisMonth = Day(c.year, c.month, 1);
        const CivilDate prev = CivilFromDays(firstOfThisMonth.days - 1);
        return Span(Day(prev.year, prev.month, 1), Plus(firstOfThisMonth, -1));
    }
    case Period::AllDatesToToday:
        return DateRange{std::nullopt, today};
    case Period::AllDatesToYesterday:
        return DateRange{std::nullopt, Plus(today, -1)};
    case Period::AllDatesFromToday:
        return DateRange{today, std::nullopt};
    case Period::AllDatesFromTomorrow:
        return DateRange{Plus(today, 1), std::nullopt};
    case Period::Aged0To30Days:
        return Span(Plus(today, -30), today);
    case Period::Aged31To60Days:
        return Span(Plus(today, -60), Plus(today, -31));
    case Period::Aged61To90Days:
        return Span(Plus(today, -90), Plus(today, -61));
    case Period::Over90Days:
        return DateRange{std::nullopt, Plus(today, -91)};
    case Period::Next30Days:
        return Span(today, Plus(today, 30));
    case Period::Next31To60Days:
        return Span(Plus(today, 31), Plus(today, 60));
    case Period::Next61To90Days:
        return Span(Plus(today, 61), Plus(today, 90));
    case Period::Next91To365Days:
        return Span(Plus(today, 91), Plus(today, 365));
    case Period::Calendar1stQtr:
        return Span(Day(c.year, 1, 1), Day(c.year, 3, 31));
    case Period::Calendar2ndQtr:
        return Span(Day(c.year, 4, 1), Day(c.year, 6, 30));
    case Period::Calendar3rdQtr:
        return Span(Day(c.year, 7, 1), Day(c.year, 9, 30));
    case Period::Calendar4thQtr:
        return Span(Day(c.year, 10, 1), Day(c.year, 12, 31));
    case Period::Calendar1stHalf:
        return Span(Day(c.year, 1, 1), Day(c.year, 6, 30));
    case Period::Calendar2ndHalf:
        return Span(Day(c.year, 7, 1), Day(c.year, 12, 31));
    case Period::LastYearMTD:
        return Span(Day(c.year - 1, c.month, 1), OneYearBack(c));
    case Period::LastYearYTD:
        return Span(Day(c.year - 1, 1, 1), OneYearBack(c));
    }
    return DateRange{};
}

} // namespace foliant::engine::formula
