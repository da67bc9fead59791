#pragma once

// The built-in table of regional settings; shared by the locale layer's units only.

#include "platform/locale/Locale.h"

#include <array>

namespace foliant::locale::detail {

struct MonthNames {
    std::array<const char*, 12> full;
    std::array<const char*, 12> abbreviated;
};

struct LocaleData {
    LCID lcid;
    const char* language;        // ISO 639 code, "de"
    const char* country;         // ISO 3166 code, "DE"
    const char* englishLanguage; // "German"
    const char* englishCountry;  // "Germany"
    const char* thousand;
    const char* decimal;
    const char* list;
    const char* shortDate;
    const char* longDate;
    const char* timeFormat;
    const char* am;
    const char* pm;
    const char* currency;
    int measure;              // 0 metric, 1 U.S.
    const MonthNames* months; // the language's month names
};

// The English month names, which every locale also reads.
const MonthNames& EnglishMonths();

// The table entry for lcid (after resolving the system default and language-only
// identifiers), or null when there is none.
const LocaleData* FindLocale(LCID lcid);

// Order of the day, month and year in the locale's short date pattern.
enum class DateOrder { MonthDayYear, DayMonthYear, YearMonthDay };
DateOrder OrderOf(const LocaleData& data);

} // namespace foliant::locale::detail
