// Values as a report shows them.

#include "engine/run/Format.h"

#include <gtest/gtest.h>

namespace foliant::engine {
namespace {

using run::FormatSettings;
using run::FormatValue;

TEST(LayoutFormatTest, ValuesFollowTheirTypeAndTheConventionsGiven) {
    FormatSettings us;
    FormatSettings de;
    de.thousandsSeparator = ".";
    de.decimalSeparator = ",";
    de.currencySymbol = "€";
    de.currencySymbolAfter = true;
    de.shortDateFormat = "dd.MM.yy";
    de.shortTimeFormat = "HH:mm:ss";
    struct Row {
        const char* why;
        Value value;
        ValueType type;
        const FormatSettings& settings;
        std::string want;
    };
    const Date leap{DaysFromCivil(2024, 2, 9)};
    const std::vector<Row> rows = {
        {"whole number with separators", std::int64_t{-1234567}, ValueType::Int32, us,
         "-1,234,567"},
        {"small whole number", std::int64_t{999}, ValueType::Number, us, "999"},
        {"fraction: two decimals, rounded", 1234.565, ValueType::Number, us, "1,234.57"},
        {"no minus on a value that rounds to zero", -0.001, ValueType::Number, us, "0.00"},
        {"halves round away from zero, not to even", 95.125, ValueType::Number, us, "95.13"},
        {"… on both sides", -2.5, ValueType::Currency, de, "-2,50 €"},
        {"a negative half", -0.125, ValueType::Number, us, "-0.13"},
        {"money", 1234.5, ValueType::Currency, us, "$1,234.50"},
        {"negative money", -0.5, ValueType::Currency, us, "-$0.50"},
        {"whole money", std::int64_t{3}, ValueType::Currency, us, "$3.00"},
        {"money, symbol after", 1234567.891, ValueType::Currency, de, "1.234.567,89 €"},
        {"Boolean", true, ValueType::Boolean, us, "True"},
        {"date, short form", leap, ValueType::Date, us, "2/9/2024"},
        {"date, padded two-digit year", leap, ValueType::Date, de, "09.02.24"},
        {"midnight on the 12-hour clock", TimeOfDay{0}, ValueType::Time, us, "12:00 AM"},
        {"noon", TimeOfDay{12 * 3600 + 5 * 60}, ValueType::Time, us, "12:05 PM"},
        {"24-hour clock", TimeOfDay{13 * 3600 + 7}, ValueType::Time, de, "13:00:07"},
        {"date-time", DateTime{static_cast<std::int64_t>(leap.days) * 86400 + 3600},
         ValueType::DateTime, us, "2/9/2024 1:00 AM"},
        {"date-time before 1970", DateTime{-1}, ValueType::DateTime, de, "31.12.69 23:59:59"},
        {"null is empty", Value{}, ValueType::Number, us, ""},
        {"bytes are not shown", Bytes{1, 2}, ValueType::Blob, us, ""},
        {"text as it is", std::string("a < b"), ValueType::String, us, "a < b"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(FormatValue(r.value, r.type, r.settings), r.want) << r.why;
    }
}

} // namespace
} // namespace foliant::engine
