// The wizard's memory turned into report choices and built: the state is filled the way the
// pages fill it (through the group and summary routines), so a slot counted wrong, a sort kind
// or direction read backwards, or a parameter lost shows in the report that comes out.
#include "generate/WizardChoices.h"

#include "generate/LayoutBuilder.h"
#include "platform/automation/values/AutomationError.h"
#include "tests/engine/TestSupport.h"
#include "wizard/GroupData.h"

#include <gtest/gtest.h>

namespace foliant::generate {
namespace {

using engine::GroupSortMode;
using engine::SortDirection;
using engine::SummaryOperation;

class WizardChoicesTest : public engine::test::ShopReportTest {
protected:
    void SetUp() override {
        ShopReportTest::SetUp();
        Wizard::ResetState();
    }
    void TearDown() override { Wizard::ResetState(); }

    static Wizard::WizardState& S() { return Wizard::State(); }

    // Two groups as the pages leave them: Country with a sum (grand total) and a 90th
    // percentile, Name with a weighted average.
    DialogChoices TwoGroups() {
        Wizard::AppendGroupData();
        Wizard::AppendGroupData();
        Wizard::InsertSummary(2, "Orders.Amount",
                              static_cast<int>(SummaryOperation::WeightedAverage));
        S().SummaryParameter(1) = "Orders.Quantity";
        S().SummaryGrandTotal(1) = false;
        // Inserted before group 2's summary: the slots move, the groups keep their own.
        Wizard::InsertSummary(1, "Orders.Amount", static_cast<int>(SummaryOperation::Sum));
        const int percentile = Wizard::InsertSummary(
            1, "Orders.Quantity", static_cast<int>(SummaryOperation::Percentile));
        S().SummaryParameter(percentile) = " 90 ";
        S().SummaryGrandTotal(percentile) = false;
        DialogChoices dialog;
        dialog.fields = {{"Orders.Amount", 1}, {"PrintDate", 4}};
        dialog.groups = {{"Customer.Country", 1}, {"Customer.Name", 2}};
        dialog.selectionFormula = "{Orders.Amount} > 5";
        dialog.title = "Sales";
        dialog.style = 7;
        return dialog;
    }
};

TEST_F(WizardChoicesTest, EachGroupTakesItsOwnSummariesWithTheirParametersAndGrandTotals) {
    const ReportChoices choices = ChoicesFromWizard(S(), TwoGroups());

    EXPECT_EQ(choices.title, "Sales");
    EXPECT_EQ(choices.style, 7);
    EXPECT_EQ(choices.selectionFormula, "{Orders.Amount} > 5");
    ASSERT_EQ(choices.columns.size(), 2U);
    EXPECT_EQ(choices.columns[1].kind, engine::FieldKind::Special);
    ASSERT_EQ(choices.groups.size(), 2U);
    const GroupChoice& country = choices.groups[0];
    EXPECT_EQ(country.order, engine::GroupOrder::Descending);
    ASSERT_EQ(country.summaries.size(), 2U);
    EXPECT_EQ(country.summaries[0].operation, SummaryOperation::Sum);
    EXPECT_TRUE(country.summaries[0].grandTotal) << "a new summary is a grand total";
    EXPECT_EQ(country.summaries[1].number, 90) << "N is read with the blanks around it";
    EXPECT_FALSE(country.summaries[1].grandTotal);
    const GroupChoice& name = choices.groups[1];
    EXPECT_EQ(name.order, engine::GroupOrder::Original);
    ASSERT_EQ(name.summaries.size(), 1U);
    EXPECT_EQ(name.summaries[0].secondField, "Orders.Quantity");
    EXPECT_EQ(name.summaries[0].number, 0);

    // The build places them where the report runs them: each in its own group's footer.
    BuildReportLayout(*report, choices);
    EXPECT_EQ(report->FindSection("GF1")->Objects().size(), 2U);
    EXPECT_EQ(report->FindSection("GF2")->Objects().size(), 1U);
    EXPECT_EQ(report->GetSelectionFormulaText(), "{Orders.Amount} > 5");
    EXPECT_EQ(report->GetLayoutStyle(), 7);
}

TEST_F(WizardChoicesTest, TheSortKindsReachTheReportWithCountDropOthersAndDirection) {
    DialogChoices dialog = TwoGroups();
    dialog.groups.push_back({"Orders.OrderDate", 0});
    Wizard::AppendGroupData();
    Wizard::InsertSummary(3, "Orders.Amount", static_cast<int>(SummaryOperation::Maximum));

    // Group 1: the top 2 countries by their sum, the other countries dropped (no label).
    S().GroupSortKind(1) = Wizard::kSortTopN;
    S().GroupSortValue(1) = 2;
    S().GroupSortField(1) = "Orders.Amount";
    S().GroupOthersLabel(1) = "";
    // Group 2: every name sorted by its weighted average, largest first.
    S().GroupSortKind(2) = Wizard::kSortAll;
    S().GroupSortValue(2) = Wizard::kDescending;
    S().GroupSortField(2) = "Orders.Amount";
    // Group 3: the bottom 4 dates, the rest gathered under a label.
    S().GroupSortKind(3) = Wizard::kSortBottomN;
    S().GroupSortValue(3) = 4;
    S().GroupSortField(3) = "Orders.Amount";
    S().GroupOthersLabel(3) = "Rest";

    BuildReportLayout(*report, ChoicesFromWizard(S(), dialog));

    const auto first = report->GroupHeader(1);
    EXPECT_EQ(first->GetGroupSortMode(), static_cast<int>(GroupSortMode::TopN));
    EXPECT_EQ(first->GetGroupTopCount(), 2);
    EXPECT_TRUE(first->GetDropOthers());
    const auto third = report->GroupHeader(3);
    EXPECT_EQ(third->GetGroupSortMode(), static_cast<int>(GroupSortMode::BottomN));
    EXPECT_EQ(third->GetGroupTopCount(), 4);
    EXPECT_FALSE(third->GetDropOthers());
    ASSERT_EQ(report->SummarySorts().size(), 1U);
    EXPECT_EQ(report->SummarySorts()[0]->GetSortDirection(), SortDirection::Descending);
    EXPECT_EQ(report->SummarySorts()[0]->GetSummary(),
              report->FindSection("GF2")->Objects()[0]->field());
}

TEST_F(WizardChoicesTest, SortAllIsAscendingUnlessTheValueIsZeroAndOtherKindsLeaveGroupsAlone) {
    DialogChoices dialog = TwoGroups();
    S().GroupSortField(1) = "Orders.Amount"; // a new group sorts all, ascending
    S().GroupSortKind(2) = -1;
    S().GroupSortField(2) = "Orders.Amount";
    const ReportChoices choices = ChoicesFromWizard(S(), dialog);
    EXPECT_EQ(choices.groups[0].sort.mode, GroupSortMode::SortAll);
    EXPECT_EQ(choices.groups[0].sort.direction, SortDirection::Ascending);
    EXPECT_EQ(choices.groups[1].sort.mode, GroupSortMode::Unsorted);
}

TEST_F(WizardChoicesTest, AnNThatIsNoWholeNumberOrTooLargeIsRefusedNamingTheSummary) {
    DialogChoices dialog = TwoGroups();
    const auto errorFor = [&](const std::string& n) {
        S().SummaryParameter(2) = n;
        try {
            ChoicesFromWizard(S(), dialog);
        } catch (const automation::AutomationError& error) {
            return std::to_string(error.Number()) + " " + error.Description();
        }
        return std::string("(no error)");
    };
    EXPECT_EQ(errorFor("1x"),
              "13 The summary of Orders.Quantity needs a whole number, not \"1x\".");
    EXPECT_EQ(errorFor("40000"),
              "6 The number \"40000\" of the summary of Orders.Quantity is too large.");
    EXPECT_EQ(errorFor("32767"), "(no error)") << "the largest 16-bit number fits";
}

TEST_F(WizardChoicesTest, AStateWithFewerGroupsThanTheDialogIsAnErrorNotAGuess) {
    DialogChoices dialog = TwoGroups();
    dialog.groups.push_back({"Orders.OrderDate", 0});
    EXPECT_THROW(ChoicesFromWizard(S(), dialog), automation::AutomationError);
}

} // namespace
} // namespace foliant::generate
