#pragma once

// Values as a report shows them, by the locale's conventions.

#include "engine/core/Types.h"
#include "engine/core/Value.h"

#include <string>

namespace foliant::engine::run {

// The conventions a caller passes in (from its locale). Patterns: d dd M MM yy yyyy for dates,
// h hh (12-hour) H HH (24-hour) m mm s ss tt (AM/PM) for times; other characters stand as
// they are.
struct FormatSettings {
    std::string thousandsSeparator = ",";
    std::string decimalSeparator = ".";
    std::string currencySymbol = "$";
    bool currencySymbolAfter = false; // "12.50 €" rather than "$12.50"
    std::string shortDateFormat = "M/d/yyyy";
    std::string shortTimeFormat = "h:mm tt";
    std::string amText = "AM";
    std::string pmText = "PM";
    std::string trueText = "True";
    std::string falseText = "False";
};

// Whole numbers with thousands separators; other numbers with two decimals; money (type
// currency) with two decimals and the currency symbol; dates, times and date-times (date, a
// blank, time) in the short forms; Booleans as True/False; text as it is; null and binary
// values as the empty text.
std::string FormatValue(const Value& value, ValueType type, const FormatSettings& settings);

// A number with `decimals` decimals and thousands separators ("-1,234.50").
std::string FormatNumber(long double value, int decimals, const FormatSettings& settings);
std::string FormatDate(Date date, const std::string& pattern, const FormatSettings& settings);
std::string FormatTime(TimeOfDay time, const std::string& pattern, const FormatSettings& settings);

} // namespace foliant::engine::run
