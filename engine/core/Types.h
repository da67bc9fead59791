#pragma once

#include "engine/core/Api.h"

// The report engine's codes. Their numeric values are part of the engine's interface and of
// the report file format: never renumber them.

#include <string>

namespace foliant::engine {

enum class ReportKind { Columnar = 1 };

enum class AreaKind {
    ReportHeader = 1,
    PageHeader = 2,
    GroupHeader = 3,
    Details = 4,
    GroupFooter = 5,
    PageFooter = 6,
    ReportFooter = 7,
};

enum class ObjectKind { Field = 1, Text = 2 };

enum class HorizontalAlignment { Default = 0, Left = 1, Centre = 2, Right = 3 };

enum class FieldKind {
    Database = 1,
    Formula = 2,
    Summary = 3,
    Special = 4,
    GroupName = 5,
    Parameter = 6,
    RunningTotal = 7,
    SqlExpression = 8,
};

enum class ValueType {
    Int8 = 1,
    UInt8 = 2,
    Int16 = 3,
    UInt16 = 4,
    Int32 = 5,
    UInt32 = 6,
    Number = 7,
    Currency = 8,
    Boolean = 9,
    Date = 10,
    Time = 11,
    String = 12,
    Bytes = 13,
    LongText = 14,
    Unknown = 15,
    DateTime = 16,
    Picture = 17,
    Icon = 18,
    Bitmap = 19,
    Chart = 20,
    OleObject = 21,
    Blob = 22,
};

FOLIANT_ENGINE_API std::string ValueTypeName(ValueType t);

inline bool IsNumericType(ValueType t) {
    return static_cast<int>(t) >= 1 && static_cast<int>(t) <= 8;
}
inline bool IsDateType(ValueType t) {
    return t == ValueType::Date || t == ValueType::DateTime;
}
inline bool IsTextType(ValueType t) {
    return t == ValueType::String || t == ValueType::LongText;
}
// Bytes, pictures, blobs and the other binary types.
inline bool IsBinaryType(ValueType t) {
    return t == ValueType::Bytes || static_cast<int>(t) >= static_cast<int>(ValueType::Picture);
}

enum class GroupCondition {
    EachDay = 0,
    EachWeek = 1,
    EachTwoWeeks = 2,
    EachHalfMonth = 3,
    EachMonth = 4,
    EachQuarter = 5,
    EachHalfYear = 6,
    EachYear = 7,
    EachSecond = 8,
    EachMinute = 9,
    EachHour = 10,
    AmPm = 11,
    EachValue = 14,
    EachTimeValue = 15,
};

enum class GroupOrder { Ascending = 0, Descending = 1, Original = 2 };

enum class GroupSortMode { Unsorted = 0, SortAll = 1, TopN = 2, BottomN = 3 };

enum class SortDirection { Ascending = 0, Descending = 1 };

enum class SummaryOperation {
    Sum = 0,
    Average = 1,
    SampleVariance = 2,
    SampleStdDev = 3,
    Maximum = 4,
    Minimum = 5,
    Count = 6,
    PopulationVariance = 7,
    PopulationStdDev = 8,
    DistinctCount = 9,
    Correlation = 10,
    Covariance = 11,
    WeightedAverage = 12,
    Median = 13,
    Percentile = 14,
    NthLargest = 15,
    NthSmallest = 16,
    Mode = 17,
    NthMostFrequent = 18,
};

} // namespace foliant::engine
