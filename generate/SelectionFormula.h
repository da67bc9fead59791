#pragma once

// The record selection formula built from the filtered fields of the selection page: each
// field's condition in the engine's formula language, all of them joined with "and".

#include "engine/Report.h"

#include <string>
#include <vector>

namespace foliant::generate {

// Operator indexes of a filtered field, as the selection page lists them. 11 and 12 are
// "starts with" / "does not start with" on a text field and "is in the period" / "is not in
// the period" on a date field.
inline constexpr int kAnyValue = 0;
inline constexpr int kEqualTo = 1;
inline constexpr int kNotEqualTo = 2;
inline constexpr int kOneOf = 3;
inline constexpr int kNotOneOf = 4;
inline constexpr int kLessThan = 5;
inline constexpr int kLessOrEqual = 6;
inline constexpr int kGreaterThan = 7;
inline constexpr int kGreaterOrEqual = 8;
inline constexpr int kBetween = 9;
inline constexpr int kNotBetween = 10;
inline constexpr int kStartsWithOrInPeriod = 11;
inline constexpr int kNotStartsWithOrInPeriod = 12;
inline constexpr int kLike = 13;
inline constexpr int kNotLike = 14;

// How many values an operator takes: none, exactly one, two (a range), any number of
// distinct values (a list), or one period name. Other is an index no operator has.
enum class ConditionKind { None, Single, Range, List, Period, Other };

// The kind of operator op on a field that is (dateField) or is not a date field.
ConditionKind KindOfCondition(int op, bool dateField);

// One filtered field: its plain reference name (Table.Field), its operator index and its
// values in the order they were entered.
struct FilteredField {
    std::string name;
    int op = kAnyValue;
    std::vector<std::string> values;
};

// The formula text for the filtered fields in order: each field's condition, joined by " and ";
// empty when no field has a condition (operator 0, or a list or period without values). Field
// types come from the report, which is not changed. Throws AutomationError 13 when a value does
// not fit its field's type (see FormatConditionValue).
std::string BuildSelectionFormula(const std::vector<FilteredField>& fields,
                                  const engine::Report& report);

// The formula literal of one value of the named field under operator op, by the field's value
// type: numbers with the system's thousands separator removed and its decimal separator turned
// into "."; Boolean values and period names as they stand; dates, times and date-times read
// under the system's regional settings and written as Date(y, m, d), Time(h, mi, s) or
// DateTime(y, m, d, h, mi, s); text between apostrophes with each apostrophe inside doubled;
// an empty literal for any other type. Throws AutomationError 13 naming the field and the value
// for a number that is not a plain number, and with the resource text asking for a date or a
// time when a date or time cannot be read.
std::string FormatConditionValue(const std::string& field, const std::string& value, int op,
                                 const engine::Report& report);

} // namespace foliant::generate
