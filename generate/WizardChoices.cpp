#include "generate/WizardChoices.h"

#include "platform/automation/values/AutomationError.h"
#include "wizard/GroupData.h"

#include <charconv>
#include <cstdint>
#include <limits>

namespace foliant::generate {

namespace {

using engine::SummaryOperation;

bool TakesNumber(SummaryOperation operation) {
    return operation == SummaryOperation::Percentile || operation == SummaryOperation::NthLargest ||
           operation == SummaryOperation::NthSmallest ||
           operation == SummaryOperation::NthMostFrequent;
}

bool TakesSecondField(SummaryOperation operation) {
    return operation == SummaryOperation::Correlation ||
           operation == SummaryOperation::Covariance ||
           operation == SummaryOperation::WeightedAverage;
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// N (or P) of a summary of field: its parameter as a 16-bit whole number, 0 when empty.
std::int16_t NumberOf(const std::string& parameter, const std::string& field) {
    const std::string text = Trimmed(parameter);
    if (text.empty()) {
        return 0;
    }
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range ||
        (error == std::errc{} && (value < std::numeric_limits<std::int16_t>::min() ||
                                  value > std::numeric_limits<std::int16_t>::max()))) {
        throw automation::AutomationError(automation::kOverflow, "Foliant",
                                          "The number \"" + text + "\" of the summary of " + field +
                                              " is too large.");
    }
    if (error != std::errc{} || end != text.data() + text.size()) {
        throw automation::AutomationError(automation::kTypeMismatch, "Foliant",
                                          "The summary of " + field +
                                              " needs a whole number, not \"" + text + "\".");
    }
    return static_cast<std::int16_t>(value);
}

SummaryChoice SummaryAt(const Wizard::WizardState& state, int slot) {
    SummaryChoice summary;
    summary.field = state.SummaryField(slot);
    summary.operation = static_cast<SummaryOperation>(state.SummaryOperation(slot));
    summary.grandTotal = state.SummaryGrandTotal(slot);
    const std::string& parameter = state.SummaryParameter(slot);
    if (TakesSecondField(summary.operation)) {
        summary.secondField = parameter;
    } else if (TakesNumber(summary.operation)) {
        summary.number = NumberOf(parameter, summary.field);
    }
    return summary;
}

GroupSortChoice SortOf(const Wizard::WizardState& state, int g) {
    GroupSortChoice sort;
    sort.field = state.GroupSortField(g);
    switch (state.GroupSortKind(g)) {
    case Wizard::kSortTopN:
    case Wizard::kSortBottomN:
        sort.mode = state.GroupSortKind(g) == Wizard::kSortTopN ? engine::GroupSortMode::TopN
                                                                : engine::GroupSortMode::BottomN;
        sort.topCount = state.GroupSortValue(g);
        sort.dropOthers = state.GroupOthersLabel(g).empty();
        break;
    case Wizard::kSortAll:
        sort.mode = engine::GroupSortMode::SortAll;
        sort.direction = state.GroupSortValue(g) != 0 ? engine::SortDirection::Ascending
                                                      : engine::SortDirection::Descending;
        break;
    default:
        sort.mode = engine::GroupSortMode::Unsorted;
        break;
    }
    return sort;
}

} // namespace

ReportChoices ChoicesFromWizard(const Wizard::WizardState& state, const DialogChoices& dialog) {
    ReportChoices choices;
    choices.selectionFormula = dialog.selectionFormula;
    choices.title = dialog.title;
    choices.style = dialog.style;
    for (const DialogChoices::Field& field : dialog.fields) {
        choices.columns.push_back({field.text, static_cast<engine::FieldKind>(field.kind)});
    }
    int slot = 1;
    for (int g = 1; g <= static_cast<int>(dialog.groups.size()); ++g) {
        const DialogChoices::Group& node = dialog.groups[static_cast<std::size_t>(g - 1)];
        GroupChoice group{node.field, static_cast<engine::GroupOrder>(node.order)};
        for (int i = 0; i < state.GroupSummaryCount(g); ++i, ++slot) {
            group.summaries.push_back(SummaryAt(state, slot));
        }
        group.sort = SortOf(state, g);
        choices.groups.push_back(std::move(group));
    }
    return choices;
}

} // namespace foliant::generate
