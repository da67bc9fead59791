#pragma once

// Reading dates and times that a person typed, and writing numbers, money, dates and times,
// under the regional settings of a locale (see Locale.h).
//
// Reading never guesses: a text is either one date and/or one time that exists, or an error
// naming the problem and where it is. Nothing is rolled over ("13/13/1996" and "2/30/1996" are
// errors) and nothing may follow what was read.
//
// Forms read, in any locale (month names in English and in the locale's language, any case):
//   numeric dates   "12/31/1996", "31/12/96", "31.12.1996", "31-12-1996": the locale's order of
//                   day, month and year decides; only when that reading cannot be a date and the
//                   reading with day and month exchanged can, the latter is taken ("31/12/96"
//                   in a month-first locale), since then only one reading exists;
//   ISO dates       "1996-12-31" (a four-digit year first is always year-month-day);
//   named months    "December,  31, 1996", "Dec 31, 1996", "31 December 1996", "31-Dec-96",
//                   "31. Dezember 1996", optionally after an English weekday name that must
//                   match the date ("Tuesday, December 31, 1996");
//   times           "23:59:59", "23:59", "11:59:59PM", "11:59 PM", "11 PM" (AM/PM or the
//                   locale's designators; the hour is then 1 to 12);
//   date and time   a date and a time separated by spaces, in either order, or ISO
//                   "1996-12-31T23:59:59".
// Years have four digits, or two: 30 to 99 are 1930 to 1999, 00 to 29 are 2000 to 2029.

#include "platform/locale/Locale.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace foliant::locale {

struct DateTimeParts {
    bool hasDate = false;
    bool hasTime = false;
    int year = 0;   // 1 to 9999
    int month = 0;  // 1 to 12
    int day = 0;    // 1 to the month's last day
    int hour = 0;   // 0 to 23
    int minute = 0; // 0 to 59
    int second = 0; // 0 to 59

    friend bool operator==(const DateTimeParts&, const DateTimeParts&) = default;
};

// The outcome of reading: the parts, or an error message with the 0-based byte position of
// the problem in the text.
struct DateTimeReading {
    DateTimeParts parts;
    std::string error; // empty on success
    std::size_t position = 0;

    bool ok() const { return error.empty(); }
    explicit operator bool() const { return ok(); }
};

// A date, a time, or both.
DateTimeReading ReadDateTime(const std::string& text, LCID lcid);
// Exactly a date (a time in the text is an error).
DateTimeReading ReadDate(const std::string& text, LCID lcid);
// Exactly a time (a date in the text is an error).
DateTimeReading ReadTime(const std::string& text, LCID lcid);

// The full year of a two-digit year: 30..99 -> 1930..1999, 0..29 -> 2000..2029.
int ExpandTwoDigitYear(int year);

// True when the day exists in that month of that year.
bool IsValidDate(int year, int month, int day);

// value with the locale's thousands separator between groups of three digits and its decimal
// separator, rounded to decimals places (0 to 15); "-" before negative values (never "-0").
// Not-a-number and infinities give "NaN", "Infinity", "-Infinity".
std::string FormatNumber(double value, int decimals, LCID lcid);
std::string FormatInteger(std::int64_t value, LCID lcid);
// An amount of money: two decimals, the locale's separators, no currency symbol.
std::string FormatMoney(double value, LCID lcid);

// A date in the locale's short date pattern ("12/31/1996", "31.12.1996"); "" for a day that
// does not exist.
std::string FormatShortDate(int year, int month, int day, LCID lcid);
// A time in the locale's time pattern ("11:59:59 PM", "23:59:59"); "" for a time that does
// not exist.
std::string FormatTime(int hour, int minute, int second, LCID lcid);
// Short date, a space, time.
std::string FormatDateTime(const DateTimeParts& parts, LCID lcid);
// Any pattern of the platform's date and time letters (d dd ddd dddd M MM MMM MMMM yy yyyy
// h hh H HH m mm s ss t tt, text in '...' as it stands) with the locale's names.
std::string FormatWithPattern(const std::string& pattern, const DateTimeParts& parts, LCID lcid);

} // namespace foliant::locale
