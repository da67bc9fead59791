// Reading stored values as their field's type, and the keys each group condition breaks on.

#include "engine/run/Values.h"

#include <gtest/gtest.h>

namespace foliant::engine {
namespace {

using run::GroupKey;
using run::ReadStoredValue;

Value D(int y, unsigned m, unsigned d) {
    return Date{DaysFromCivil(y, m, d)};
}

Value DT(int y, unsigned m, unsigned d, int h, int mi, int s) {
    return DateTime{static_cast<std::int64_t>(DaysFromCivil(y, m, d)) * 86400 + h * 3600 + mi * 60 +
                    s};
}

TEST(RunValuesTest, DatesComeFromIsoTextJulianDaysAndUnixSeconds) {
    struct Row {
        const char* why;
        Value stored;
        ValueType type;
        Value want;
    };
    const std::vector<Row> rows = {
        {"ISO date", std::string("2024-02-29"), ValueType::Date, D(2024, 2, 29)},
        {"blanks around ISO text", std::string(" 2024-02-29 "), ValueType::Date, D(2024, 2, 29)},
        {"ISO date-time as a date: its day", std::string("2024-03-01 23:59:59"), ValueType::Date,
         D(2024, 3, 1)},
        {"no 30th of February", std::string("2023-02-30"), ValueType::Date, Value{}},
        {"not a date at all", std::string("soon"), ValueType::Date, Value{}},
        {"Julian day as a real: 2460310.5 is 2024-01-01 00:00", 2460310.5, ValueType::Date,
         D(2024, 1, 1)},
        {"Julian day noon as a whole number", std::int64_t{2460311}, ValueType::DateTime,
         DT(2024, 1, 1, 12, 0, 0)},
        {"Unix seconds", std::int64_t{1700000000}, ValueType::DateTime,
         DT(2023, 11, 14, 22, 13, 20)},
        {"Unix seconds before 1970", std::int64_t{-86400}, ValueType::Date, D(1969, 12, 31)},
        {"ISO with T and seconds fraction", std::string("2024-01-02T03:04:05.678"),
         ValueType::DateTime, DT(2024, 1, 2, 3, 4, 5)},
        {"ISO with a zone: kept in UTC", std::string("2024-01-02 03:04:05+02:00"),
         ValueType::DateTime, DT(2024, 1, 2, 1, 4, 5)},
        {"date alone as a date-time: midnight", std::string("2024-01-02"), ValueType::DateTime,
         DT(2024, 1, 2, 0, 0, 0)},
        {"ISO time", std::string("13:45"), ValueType::Time, TimeOfDay{13 * 3600 + 45 * 60}},
        {"hour 24 is not a time", std::string("24:00:00"), ValueType::Time, Value{}},
        {"a fraction of a day", 0.75, ValueType::Time, TimeOfDay{18 * 3600}},
        {"seconds since midnight", std::int64_t{3661}, ValueType::Time, TimeOfDay{3661}},
        {"time of a stored date-time", std::string("2024-01-02 07:08:09"), ValueType::Time,
         TimeOfDay{7 * 3600 + 8 * 60 + 9}},
        {"Boolean from a number", std::int64_t{2}, ValueType::Boolean, true},
        {"Boolean from text", std::string("No"), ValueType::Boolean, false},
        {"unknown Boolean text", std::string("maybe"), ValueType::Boolean, Value{}},
        {"money from a whole number", std::int64_t{12}, ValueType::Currency, 12.0},
        {"number from text", std::string(" 42 "), ValueType::Int32, std::int64_t{42}},
        {"number from words", std::string("many"), ValueType::Number, Value{}},
        {"text from a number", std::int64_t{7}, ValueType::String, std::string("7")},
        {"null stays null", Value{}, ValueType::Date, Value{}},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(ReadStoredValue(r.stored, r.type), r.want) << r.why;
    }
}

TEST(RunValuesTest, EachConditionBreaksOnItsPeriod) {
    // 2024-03-20 is a Wednesday.
    const Value wed = D(2024, 3, 20);
    struct Row {
        const char* why;
        Value value;
        GroupCondition condition;
        Value want;
    };
    const std::vector<Row> rows = {
        {"day", DT(2024, 3, 20, 18, 0, 0), GroupCondition::EachDay, D(2024, 3, 20)},
        {"week starts on Sunday", wed, GroupCondition::EachWeek, D(2024, 3, 17)},
        {"a Sunday starts its own week", D(2024, 3, 17), GroupCondition::EachWeek, D(2024, 3, 17)},
        {"fortnights are counted from Sunday 1970-01-04: 2024-03-03 starts one", D(2024, 3, 16),
         GroupCondition::EachTwoWeeks, D(2024, 3, 3)},
        {"… and 2024-03-17 the next", wed, GroupCondition::EachTwoWeeks, D(2024, 3, 17)},
        {"first half of a month ends on the 15th", D(2024, 3, 15), GroupCondition::EachHalfMonth,
         D(2024, 3, 1)},
        {"second half starts on the 16th", D(2024, 2, 29), GroupCondition::EachHalfMonth,
         D(2024, 2, 16)},
        {"month of a date-time late on its last day", DT(2024, 3, 31, 23, 59, 59),
         GroupCondition::EachMonth, D(2024, 3, 1)},
        {"quarter", D(2024, 8, 9), GroupCondition::EachQuarter, D(2024, 7, 1)},
        {"half year", D(2024, 6, 30), GroupCondition::EachHalfYear, D(2024, 1, 1)},
        {"year", wed, GroupCondition::EachYear, D(2024, 1, 1)},
        {"hour", DT(2024, 3, 20, 9, 59, 59), GroupCondition::EachHour, DT(2024, 3, 20, 9, 0, 0)},
        {"minute of a time", TimeOfDay{3725}, GroupCondition::EachMinute, TimeOfDay{3720}},
        {"second", DT(2024, 3, 20, 9, 5, 7), GroupCondition::EachSecond, DT(2024, 3, 20, 9, 5, 7)},
        {"11:59:59 is AM", TimeOfDay{43199}, GroupCondition::AmPm, std::string("AM")},
        {"noon is PM", DT(2024, 3, 20, 12, 0, 0), GroupCondition::AmPm, std::string("PM")},
        {"a date has no time: AM", wed, GroupCondition::AmPm, std::string("AM")},
        {"each value", std::string("x"), GroupCondition::EachValue, std::string("x")},
        {"a date condition on text breaks on each value", std::string("x"),
         GroupCondition::EachMonth, std::string("x")},
        {"null has its own group", Value{}, GroupCondition::EachWeek, Value{}},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(GroupKey(r.value, r.condition), r.want) << r.why;
    }
    // Week keys before 1970 are Sundays too.
    const auto key = std::get<Date>(GroupKey(D(1969, 7, 20), GroupCondition::EachWeek));
    EXPECT_EQ(Weekday(key.days), 0);
}

TEST(RunValuesTest, ValuesOrderNullFirstNumbersByValueTextByBytes) {
    using run::CompareValues;
    EXPECT_EQ(CompareValues(std::int64_t{2}, 2.0), 0);
    EXPECT_LT(CompareValues(Value{}, std::int64_t{-5}), 0);
    EXPECT_LT(CompareValues(std::int64_t{-5}, 2.5), 0);
    EXPECT_LT(CompareValues(std::string("Zebra"), std::string("apple")), 0);
    EXPECT_GT(CompareValues(std::int64_t{9007199254740993}, 9007199254740992.0), 0);
}

} // namespace
} // namespace foliant::engine
