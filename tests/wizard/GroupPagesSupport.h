#pragma once

// Compact views of the grouping, summaries and group-sorting pages and of the state arrays
// behind them, and the one check that those arrays stay parallel, called after every action.

#include "WizardTestSupport.h"

#include "platform/forms/Dump.h"

#include <numeric>
#include <string>

namespace foliant::wizard::test {

// Clicks group g's node in the group tree.
inline void ClickGroup(frmWizard& f, int g) {
    f.GroupTreeView.UserClickNode(f.GroupTreeView.Nodes().Item(g + 1));
}

// Three nested groups, each with its own summaries and sorting:
// 1 Customer.Country: sum and maximum of Orders.Amount, its groups the top 3 by the sum;
// 2 Customer.Name (descending): the 2nd largest Orders.Quantity;
// 3 Orders.Id: the count of Orders.Id, with a grand total.
inline std::shared_ptr<Report> ThreeGroups(const std::shared_ptr<Report>& report) {
    AddGroup(*report, "{Customer.Country}");
    AddGroup(*report, "{Customer.Name}", 1);
    AddGroup(*report, "{Orders.Id}");
    const auto sum = PlaceSummary(*report, "GF1", "{Orders.Amount}", 0);
    PlaceSummary(*report, "GF1", "{Orders.Amount}", 4);
    PlaceSummary(*report, "GF2", "{Orders.Quantity}", 15, automation::Variant(std::int16_t{2}));
    PlaceSummary(*report, "GF3", "{Orders.Id}", 6);
    PlaceSummary(*report, "RF", "{Orders.Id}", 6);
    const auto header = report->GetAreaList()->ItemAt("GH1");
    header->SetGroupSortMode(2);
    header->SetGroupTopCount(3);
    header->SetGroupSortSummary(sum->field());
    return report;
}

inline constexpr const char* kThreeGroupsChain = "Customer.Country:0>Customer.Name:1>Orders.Id:0";
inline constexpr const char* kThreeGroupsArrays =
    "2 0 3 'Orders.Amount' Others | 1 2 -1 '' Others | 1 2 -1 '' Others";
inline constexpr const char* kThreeGroupsSummaries =
    "Orders.Amount 0 '' - | Orders.Amount 4 '' - | Orders.Quantity 15 '2' - | Orders.Id 6 '' +";

// The group chain as "Customer.Country:0>Orders.Id:1 @2": node texts with their order tags,
// then the selected group's number (@0 the root, @- nothing selected).
inline std::string Chain(const frmWizard& f) {
    const auto& nodes = f.GroupTreeView.Nodes();
    std::string out;
    for (const forms::Node* node = nodes.Item(1).Child(); node != nullptr; node = node->Child()) {
        out += (out.empty() ? "" : ">") + node->Text() + ":" + node->Tag();
    }
    const forms::Node* selected = f.GroupTreeView.SelectedItem();
    return out + " @" + (selected == nullptr ? "-" : std::to_string(selected->Index() - 1));
}

// Each group's summary count, sort kind, sort value, sort field and others label:
// "2 2 -1 '' Others | 1 0 5 'Orders.Amount' Others".
inline std::string Groups() {
    const Wizard::WizardState& s = Wizard::State();
    std::string out;
    for (int g = 1; g <= s.GroupSummaryCount.UBound(); ++g) {
        out += (g == 1 ? "" : " | ") + std::to_string(s.GroupSummaryCount(g)) + " " +
               std::to_string(s.GroupSortKind(g)) + " " + std::to_string(s.GroupSortValue(g)) +
               " '" + s.GroupSortField(g) + "' " + s.GroupOthersLabel(g);
    }
    return out;
}

// Each summary's field, operation code, parameter and grand-total flag (+ or -):
// "Orders.Amount 0 '' + | Customer.Name 15 '3' -".
inline std::string Summaries() {
    const Wizard::WizardState& s = Wizard::State();
    std::string out;
    for (int i = 1; i <= s.SummaryField.UBound(); ++i) {
        out += (i == 1 ? "" : " | ") + s.SummaryField(i) + " " +
               std::to_string(s.SummaryOperation(i)) + " '" + s.SummaryParameter(i) + "' " +
               (s.SummaryGrandTotal(i) ? "+" : "-");
    }
    return out;
}

// What the group chain and the arrays must keep after any action: the tree's nodes in chain
// order with orders 0 to 2; one entry of each group array per group; one entry of each summary
// array per summary counted in GroupSummaryCount; a sort field that is empty or one of its
// group's summaries; and, while the summaries page shows a group, TotalList showing exactly
// that group's block of summaries.
inline void ExpectParallel(const frmWizard& f) {
    const Wizard::WizardState& s = Wizard::State();
    const auto& nodes = f.GroupTreeView.Nodes();
    const int groups = nodes.Count() - 1;
    for (int i = 2; i <= nodes.Count(); ++i) {
        EXPECT_EQ(nodes.Item(i).Parent(), &nodes.Item(i - 1)) << "node " << i << " out of chain";
        EXPECT_LE(nodes.Item(i).Children(), 1) << "node " << i;
        const std::string& tag = nodes.Item(i).Tag();
        EXPECT_TRUE(tag == "0" || tag == "1" || tag == "2") << "node " << i << " order " << tag;
    }
    EXPECT_EQ(s.GroupSummaryCount.UBound(), groups);
    EXPECT_EQ(s.GroupSortKind.UBound(), groups);
    EXPECT_EQ(s.GroupSortValue.UBound(), groups);
    EXPECT_EQ(s.GroupSortField.UBound(), groups);
    EXPECT_EQ(s.GroupOthersLabel.UBound(), groups);
    const auto& counts = s.GroupSummaryCount.Values();
    const int summaries = std::accumulate(counts.begin(), counts.end(), 0);
    EXPECT_EQ(s.SummaryField.UBound(), summaries);
    EXPECT_EQ(s.SummaryGrandTotal.UBound(), summaries);
    EXPECT_EQ(s.SummaryOperation.UBound(), summaries);
    EXPECT_EQ(s.SummaryParameter.UBound(), summaries);
    if (s.SummaryField.UBound() != summaries || s.GroupSortField.UBound() != groups) {
        return;
    }
    int slot = 1;
    for (int g = 1; g <= groups; ++g) {
        EXPECT_GE(s.GroupSummaryCount(g), 0) << "group " << g;
        EXPECT_GE(s.GroupSortKind(g), 0) << "group " << g;
        EXPECT_LE(s.GroupSortKind(g), 2) << "group " << g;
        bool sortFieldFound = s.GroupSortField(g).empty();
        for (int i = 0; i < s.GroupSummaryCount(g); ++i, ++slot) {
            sortFieldFound = sortFieldFound || s.SummaryField(slot) == s.GroupSortField(g);
        }
        EXPECT_TRUE(sortFieldFound) << "group " << g << " sorts by " << s.GroupSortField(g);
    }
    const int g = f.GroupCombo.ListIndex() + 1;
    if (f.TotalList.Visible() && g >= 1 && g <= groups) {
        std::string shown;
        std::string stored;
        for (int i = 0; i < f.TotalList.ListCount(); ++i) {
            shown += f.TotalList.List(i) + ";";
        }
        int first = 1;
        for (int k = 1; k < g; ++k) {
            first += s.GroupSummaryCount(k);
        }
        for (int i = 0; i < s.GroupSummaryCount(g); ++i) {
            stored += s.SummaryField(first + i) + ";";
        }
        EXPECT_EQ(shown, stored) << "TotalList of group " << g;
    }
}

} // namespace foliant::wizard::test
