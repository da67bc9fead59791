#pragma once

// Value handling shared by the runner's units: one total order over values, reading stored
// database values as the field's type, and the keys that group conditions break on.

#include "engine/core/Types.h"
#include "engine/core/Value.h"

#include <optional>
#include <string_view>

namespace foliant::engine::run {

// A total order over values: null first, then Booleans, numbers (int64 and double compared by
// value, so 2 and 2.0 are equal), text (byte by byte, as SQLite's BINARY collation), dates,
// times, date-times, bytes. Values of different kinds order by that list.
int CompareValues(const Value& a, const Value& b);

struct ValueLess {
    bool operator()(const Value& a, const Value& b) const { return CompareValues(a, b) < 0; }
};

// The number a numeric value holds; nullopt for anything else (null included).
std::optional<double> NumberOf(const Value& v);

// Reads a value as SQLite stored it (null, int64, double, text or bytes) as a value of the
// field's type. Dates, times and date-times come from ISO-8601 text ("2024-03-01",
// "2024-03-01 12:30:00", "2024-03-01T12:30", "12:30:15"), from Julian day numbers (any real
// value, and whole numbers from 1721426 to 5373484, the years 1 to 9999) or from Unix seconds
// (other whole numbers). Booleans come from numbers (0 is false) or the texts true/false,
// yes/no, 1/0. Text that cannot be read as the type gives null rather than a wrong value.
Value ReadStoredValue(const Value& stored, ValueType type);

// ISO-8601 parsing; nullopt for text that is not a valid date, time or date-time.
std::optional<Date> ParseIsoDate(std::string_view text);
std::optional<TimeOfDay> ParseIsoTime(std::string_view text);
std::optional<DateTime> ParseIsoDateTime(std::string_view text);

// The key a group condition breaks on for a value: the first day of the value's day, week
// (Sunday to Saturday), two weeks (fortnights counted from Sunday 1970-01-04), half month
// (the 1st to the 15th, the 16th to the month's end), month, quarter, half year or year; the
// value cut to its second, minute or hour; "AM" or "PM"; or the value itself (each value,
// each time value, and conditions that do not apply to the value's type). Null stays null.
Value GroupKey(const Value& value, GroupCondition condition);

} // namespace foliant::engine::run
