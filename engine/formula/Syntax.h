#pragma once

// The syntax tree of a checked formula. Every node knows where it starts in the formula text
// and the type it yields; the parser builds it only from text that passed every check.

#include "engine/core/Value.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace foliant::engine::formula {

// The types a formula expression can have. Date and DateTime compare with each other.
enum class FormulaType { Number, Text, Boolean, Date, DateTime, Time };

// The named date ranges, in the order the selection page offers them.
enum class Period {
    WeekToDateFromSun,
    MonthToDate,
    YearToDate,
    Last7Days,
    Last4WeeksToSun,
    LastFullWeek,
    LastFullMonth,
    AllDatesToToday,
    AllDatesToYesterday,
    AllDatesFromToday,
    AllDatesFromTomorrow,
    Aged0To30Days,
    Aged31To60Days,
    Aged61To90Days,
    Over90Days,
    Next30Days,
    Next31To60Days,
    Next61To90Days,
    Next91To365Days,
    Calendar1stQtr,
    Calendar2ndQtr,
    Calendar3rdQtr,
    Calendar4thQtr,
    Calendar1stHalf,
    Calendar2ndHalf,
    LastYearMTD,
    LastYearYTD,
};
inline constexpr int kPeriodCount = 27;

// The period's name as written in formulas ("LastFullMonth").
std::string_view PeriodName(Period p);
// The period a word names, compared without regard to case; nullopt for any other word.
std::optional<Period> FindPeriod(std::string_view word);

// The days a period covers for a run on `today`, both ends included. An open end is nullopt
// (AllDatesToToday has no first day).
struct DateRange {
    std::optional<Date> first;
    std::optional<Date> last;
};
DateRange PeriodRange(Period p, Date today);

enum class NodeKind {
    Literal,    // literal: a number (int64 or double), text, Boolean, Date, TimeOfDay, DateTime
    Field,      // field: index into the formula's field list
    Group,      // ( children[0] )
    Negate,     // - children[0]
    Not,        // not children[0]
    And,        // children[0] and children[1] and ...
    Or,         // children[0] or children[1] or ...
    Arithmetic, // children[0] ops[0] children[1] ops[1] ... evaluated left to right
    Compare,    // children[0] compare children[1]
    InRange,    // children[0] in children[1] to children[2]
    InList,     // children[0] in [children[1], ...]
    InPeriod,   // children[0] in period
    Like,       // children[0] like children[1] (or like [children[1], ...])
    StartsWith, // children[0] startswith children[1] (or startswith [children[1], ...])
};

enum class ArithmeticOp { Add, Subtract, Concatenate, Multiply, Divide, Modulo };
enum class CompareOp { Equal, NotEqual, Less, LessOrEqual, Greater, GreaterOrEqual };

struct Node {
    NodeKind kind = NodeKind::Literal;
    std::size_t position = 0; // byte offset of the node's first character in the formula text
    FormulaType type = FormulaType::Boolean;
    Value literal;
    std::size_t field = 0;
    std::vector<std::unique_ptr<Node>> children;
    std::vector<ArithmeticOp> ops;             // Arithmetic only
    std::vector<std::size_t> opPositions;      // Arithmetic only: where each operator stands
    CompareOp compare = CompareOp::Equal;      // Compare only
    Period period = Period::WeekToDateFromSun; // InPeriod only
    bool list = false;                         // Like, StartsWith: written with [ ]
};

} // namespace foliant::engine::formula
