#pragma once

// The wizard's choices as plain values: what the layout builder writes into a report. Field
// names are plain, as the wizard shows them ("Orders.Amount", "@Profit", "PrintDate"); the
// builder adds the braces. Every member has a default, so a choice can be written with only
// the members that matter ({"Orders.Amount"}).

#include "engine/core/Types.h"

#include <cstdint>
#include <string>
#include <vector>

namespace foliant::generate {

// A column: a field shown in the details with a heading above it in the page header.
struct ColumnChoice {
    std::string field{};
    // A special field (Special) is placed by its name as it stands; every other kind braced.
    engine::FieldKind kind = engine::FieldKind::Database;
};

// A summary of a group, shown in the group's footer and, as a grand total, in the report
// footer.
struct SummaryChoice {
    std::string field{};
    engine::SummaryOperation operation = engine::SummaryOperation::Sum;
    // The second field of correlation, covariance and weighted average.
    std::string secondField{};
    // N (or P) of percentile, Nth largest, Nth smallest and Nth most frequent.
    std::int16_t number = 0;
    bool grandTotal = false;
};

// How a group's groups are ordered by one of the group's summaries.
struct GroupSortChoice {
    // Unsorted, TopN, BottomN or SortAll.
    engine::GroupSortMode mode = engine::GroupSortMode::Unsorted;
    // The summarized field of the group summary that orders the groups.
    std::string field{};
    // Top N and Bottom N: how many groups are kept, and whether the rest are dropped rather
    // than gathered into one group of others.
    int topCount = 0;
    bool dropOthers = false;
    // Sort All: the direction of the summary sort.
    engine::SortDirection direction = engine::SortDirection::Ascending;
};

// A group, outermost first: its field, its record order, its summaries and its sorting.
struct GroupChoice {
    std::string field{};
    engine::GroupOrder order = engine::GroupOrder::Ascending;
    std::vector<SummaryChoice> summaries{};
    GroupSortChoice sort{};
};

struct ReportChoices {
    // The record selection formula; empty keeps the report's own formula.
    std::string selectionFormula{};
    // The report title; empty places no title object.
    std::string title{};
    std::vector<ColumnChoice> columns{};
    std::vector<GroupChoice> groups{};
    // The layout style, 0 to 9.
    int style = 0;
};

} // namespace foliant::generate
