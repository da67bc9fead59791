#include "wizard/GroupData.h"

#include "resources/Resources.h"
#include "wizard/WizardState.h"

#include <deque>
#include <vector>

namespace foliant::Wizard {

namespace {

// Rewrites the summary arrays so that entry i takes the old entry from[i - 1].
void ReorderSummaries(const std::vector<int>& from) {
    WizardState& s = State();
    const auto reorder = [&from](auto& array) {
        const auto old = array.Values();
        for (std::size_t i = 0; i < from.size(); ++i) {
            array(static_cast<int>(i) + 1) = old[static_cast<std::size_t>(from[i] - 1)];
        }
    };
    reorder(s.SummaryField);
    reorder(s.SummaryGrandTotal);
    reorder(s.SummaryOperation);
    reorder(s.SummaryParameter);
}

void RemoveSummaryAt(int slot) {
    WizardState& s = State();
    s.SummaryField.RemoveAt(slot);
    s.SummaryGrandTotal.RemoveAt(slot);
    s.SummaryOperation.RemoveAt(slot);
    s.SummaryParameter.RemoveAt(slot);
}

} // namespace

int FirstSummarySlot(int g) {
    const WizardState& s = State();
    int slot = 1;
    for (int k = 1; k < g; ++k) {
        slot += s.GroupSummaryCount(k);
    }
    return slot;
}

void AppendGroupData() {
    WizardState& s = State();
    s.GroupSummaryCount.Append(0);
    s.GroupSortKind.Append(kSortAll);
    s.GroupSortValue.Append(kAscending);
    s.GroupSortField.Append("");
    s.GroupOthersLabel.Append(resources::LoadResString(kOthersText));
}

void DeleteGroupData(int g) {
    WizardState& s = State();
    const int first = FirstSummarySlot(g);
    for (int n = s.GroupSummaryCount(g); n > 0; --n) {
        RemoveSummaryAt(first);
    }
    s.GroupSummaryCount.RemoveAt(g);
    s.GroupSortKind.RemoveAt(g);
    s.GroupSortValue.RemoveAt(g);
    s.GroupSortField.RemoveAt(g);
    s.GroupOthersLabel.RemoveAt(g);
}

void SwapGroupData(int a, int b) {
    if (a == b) {
        return;
    }
    WizardState& s = State();
    std::vector<int> from;
    for (int k = 1; k <= s.GroupSummaryCount.UBound(); ++k) {
        const int source = k == a ? b : k == b ? a : k;
        const int first = FirstSummarySlot(source);
        for (int i = 0; i < s.GroupSummaryCount(source); ++i) {
            from.push_back(first + i);
        }
    }
    ReorderSummaries(from);
    std::swap(s.GroupSummaryCount(a), s.GroupSummaryCount(b));
    std::swap(s.GroupSortKind(a), s.GroupSortKind(b));
    std::swap(s.GroupSortValue(a), s.GroupSortValue(b));
    std::swap(s.GroupSortField(a), s.GroupSortField(b));
    std::swap(s.GroupOthersLabel(a), s.GroupOthersLabel(b));
}

int InsertSummary(int g, const std::string& field, std::int32_t operation) {
    WizardState& s = State();
    const int slot = FirstSummarySlot(g) + s.GroupSummaryCount(g);
    s.SummaryField.InsertAt(slot, field);
    s.SummaryGrandTotal.InsertAt(slot, true);
    s.SummaryOperation.InsertAt(slot, operation);
    s.SummaryParameter.InsertAt(slot, "");
    ++s.GroupSummaryCount(g);
    return slot;
}

void DeleteSummary(int g, int index) {
    WizardState& s = State();
    RemoveSummaryAt(FirstSummarySlot(g) + index);
    --s.GroupSummaryCount(g);
}

void ResetGroupSort(int g) {
    WizardState& s = State();
    s.GroupSortField(g) = "";
    s.GroupSortKind(g) = kSortAll;
    s.GroupSortValue(g) = kAscending;
    s.GroupOthersLabel(g) = resources::LoadResString(kOthersText);
}

} // namespace foliant::Wizard
