// Next and Back through the seven pages, with the pages that have nothing to offer skipped.
#include "WizardTestSupport.h"

#include "platform/forms/Dump.h"
#include "platform/forms/UserActions.h"

#include <filesystem>

namespace foliant::wizard::test {
namespace {

// A report that brings groups, summaries and ReportHasContent into the wizard as asked:
// a group without a formula sets ReportHasContent, detail fields with a formula do too.
struct MoveCase {
    const char* name;
    bool groups;
    bool summaries;
    bool content;
    std::vector<int> forward;  // pages from 1 pressing Next until it is disabled
    std::vector<int> backward; // pages from 7 pressing Back until it is disabled
};

std::shared_ptr<Report> Build(Report& report, const MoveCase& c) {
    if (c.groups) {
        AddGroup(report, "{Customer.Country}");
        if (c.summaries) {
            PlaceSummary(report, "GF1", "{Orders.Amount}", 0);
        }
        if (!c.content) {
            report.SetSelectionFormulaText("{Orders.Amount} > 1");
        }
    } else if (c.content) {
        PlaceField(report, "D", "{Orders.Amount}");
        report.SetSelectionFormulaText("{Orders.Amount} > 1");
    }
    return report.shared_from_this();
}

void PrintTo(const MoveCase& c, std::ostream* os) {
    *os << c.name;
}

class MoveTableTest : public WizardTest, public ::testing::WithParamInterface<MoveCase> {};

TEST_P(MoveTableTest, NextAndBackVisitThePagesOfTheMoveTable) {
    const MoveCase c = GetParam();
    const auto report = MakeReport();
    Build(*report, c);
    std::vector<int> forward;
    std::vector<int> backward;
    Run(report, [&](frmWizard& f) {
        ASSERT_EQ(Wizard::State().ReportHasContent, c.content);
        forward.push_back(ShownPage(f));
        while (f.cmdNext.Enabled()) {
            f.cmdNext.UserClick();
            ASSERT_EQ(ShownPage(f), Wizard::State().CurrentPage);
            forward.push_back(ShownPage(f));
            ASSERT_LE(forward.size(), 8U);
            EXPECT_TRUE(f.cmdBack.Enabled());
        }
        EXPECT_EQ(f.DefaultButton(), &f.FinishCmd);
        backward.push_back(ShownPage(f));
        while (f.cmdBack.Enabled()) {
            f.cmdBack.UserClick();
            ASSERT_EQ(ShownPage(f), Wizard::State().CurrentPage);
            backward.push_back(ShownPage(f));
            ASSERT_LE(backward.size(), 8U);
            EXPECT_TRUE(f.cmdNext.Enabled());
        }
        EXPECT_TRUE(f.FinishCmd.Enabled());
        EXPECT_TRUE(f.cmdCancel.Enabled());
    });
    EXPECT_EQ(forward, c.forward);
    EXPECT_EQ(backward, c.backward);
}

INSTANTIATE_TEST_SUITE_P(
    Reports, MoveTableTest,
    ::testing::Values(
        MoveCase{"NoGroups", false, false, false, {1, 2, 5, 6, 7}, {7, 6, 5, 2, 1}},
        MoveCase{"NoGroupsWithContent", false, false, true, {1, 2, 6, 7}, {7, 6, 2, 1}},
        MoveCase{
            "GroupsWithoutSummaries", true, false, false, {1, 2, 3, 5, 6, 7}, {7, 6, 5, 3, 2, 1}},
        MoveCase{"GroupsWithoutSummariesWithContent",
                 true,
                 false,
                 true,
                 {1, 2, 3, 6, 7},
                 {7, 6, 3, 2, 1}},
        MoveCase{
            "GroupsAndSummaries", true, true, false, {1, 2, 3, 4, 5, 6, 7}, {7, 6, 5, 4, 3, 2, 1}},
        MoveCase{"GroupsAndSummariesWithContent",
                 true,
                 true,
                 true,
                 {1, 2, 3, 4, 6, 7},
                 {7, 6, 4, 3, 2, 1}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WizardTest, TheLastPageDisablesNextAndKeepsFinishTheDefaultOnTheWayBack) {
    Run(MakeReport(), [](frmWizard& f) {
        EXPECT_FALSE(f.cmdBack.Enabled());
        f.cmdNext.UserClick();
        EXPECT_TRUE(f.cmdBack.Enabled());
        while (f.cmdNext.Enabled()) {
            f.cmdNext.UserClick();
        }
        EXPECT_EQ(Wizard::State().CurrentPage, 7);
        EXPECT_EQ(f.DefaultButton(), &f.FinishCmd);
        f.cmdBack.UserClick();
        EXPECT_EQ(Wizard::State().CurrentPage, 6);
        EXPECT_TRUE(f.cmdNext.Enabled());
        EXPECT_EQ(f.DefaultButton(), &f.FinishCmd);
    });
}

TEST_F(WizardTest, TheTreeIsShownOnPagesOneTwoThreeAndFiveOnly) {
    const auto report = MakeReport();
    AddGroup(*report, "{Customer.Country}");
    PlaceSummary(*report, "GF1", "{Orders.Amount}", 0);
    report->SetSelectionFormulaText("{Orders.Amount} > 1");
    std::vector<std::string> seen;
    Run(report, [&](frmWizard& f) {
        for (;;) {
            seen.push_back(std::to_string(Wizard::State().CurrentPage) +
                           (f.DatabaseTreeView.Visible() ? "T" : "-") +
                           (f.DatabaseFields.Visible() ? "L" : "-"));
            if (!f.cmdNext.Enabled()) {
                break;
            }
            f.cmdNext.UserClick();
        }
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"1TL", "2TL", "3TL", "4--", "5TL", "6--", "7--"}));
}

// Without long text every page lists the same fields: a page change keeps the tree's nodes, and
// leaves them as a fresh fill would, every table open and the first field selected.
TEST_F(WizardTest, APageChangeKeepsTheNodesAndOpensEveryTableAgain) {
    const auto report = MakeReport(R"sql(
        CREATE TABLE Misc (Id INTEGER, Amount MONEY);
        CREATE TABLE Other (Label TEXT);
    )sql");
    Run(report, [&](frmWizard& f) {
        forms::Node& other = *f.DatabaseTreeView.Nodes().Item(1).ChildNodes().back();
        forms::Node& label = *other.Child();
        f.DatabaseTreeView.UserClickNode(label);
        other.UserSetExpanded(false);
        f.cmdNext.UserClick();
        ASSERT_EQ(Wizard::State().CurrentPage, 2);
        ASSERT_EQ(f.DatabaseTreeView.Nodes().Count(), 6);
        ASSERT_EQ(f.DatabaseTreeView.Nodes().Item(5).Child(), &label) << "the same nodes";
        EXPECT_TRUE(other.Expanded());
        EXPECT_EQ(f.DatabaseTreeView.SelectedItem(), &f.DatabaseTreeView.Nodes().Item(3));
        EXPECT_TRUE(f.AddGroup.Enabled());
        other.UserSetExpanded(false);
        f.DatabaseTreeView.Nodes().Item(1).UserSetExpanded(false);
        f.cmdBack.UserClick();
        EXPECT_TRUE(other.Expanded());
        EXPECT_TRUE(f.DatabaseTreeView.Nodes().Item(1).Expanded());
        EXPECT_EQ(f.DatabaseTreeView.SelectedItem(), &f.DatabaseTreeView.Nodes().Item(3));
    });
}

TEST_F(WizardTest, PageEntryPreparesTheGroupSummaryAndSortingPages) {
    const auto report = MakeReport();
    AddGroup(*report, "{Customer.Country}", 1);
    AddGroup(*report, "{Customer.Name}");
    PlaceSummary(*report, "GF2", "{Orders.Amount}", 0);
    report->SetSelectionFormulaText("{Orders.Amount} > 1");
    Run(report, [](frmWizard& f) {
        f.cmdNext.UserClick(); // page 2: group 1 selected, its order shown
        EXPECT_EQ(f.GroupTreeView.SelectedItem(), &f.GroupTreeView.Nodes().Item(2));
        EXPECT_EQ(f.OrderCombo.ListIndex(), 1);
        EXPECT_EQ(forms::Brief(f.CmdGroupDown), "CmdGroupDown VE");
        EXPECT_EQ(forms::Brief(f.cmdGroupUp), "cmdGroupUp V-");
        EXPECT_TRUE(f.AddGroup.Enabled());
        EXPECT_EQ(f.DatabaseTreeView.SelectedItem(), &f.DatabaseTreeView.Nodes().Item(3));
        EXPECT_EQ(f.ActiveControl(), &f.DatabaseTreeView);

        f.cmdNext.UserClick(); // page 3: the groups in GroupCombo, the parameter boxes hidden
        ASSERT_EQ(f.GroupCombo.ListCount(), 2);
        EXPECT_EQ(f.GroupCombo.List(0), "Customer.Country");
        EXPECT_EQ(f.GroupCombo.List(1), "Customer.Name");
        EXPECT_EQ(f.GroupCombo.ListIndex(), 0);
        EXPECT_FALSE(f.PIsLabel.Visible());
        EXPECT_FALSE(f.SecondSummaryCombo.Visible());
        EXPECT_TRUE(f.GrandTotalCheck.Visible());

        f.cmdNext.UserClick(); // page 4: only the group with summaries, Sort All layout
        ASSERT_EQ(f.TopNGroupCombo.ListCount(), 1);
        EXPECT_EQ(f.TopNGroupCombo.List(0), "Customer.Name");
        EXPECT_EQ(f.TopNGroupCombo.ItemData(0), 2);
        EXPECT_EQ(f.TopNGroupCombo.ListIndex(), 0);
        EXPECT_EQ(f.TopNSortCombo.ListIndex(), 2);
        EXPECT_TRUE(f.TopNTotalADFrame.Visible());
        EXPECT_FALSE(f.TopNText.Visible());
        EXPECT_FALSE(f.TopNIncludeOthersCheck.Visible());

        f.cmdNext.UserClick(); // page 5: no filtered field, no condition controls
        EXPECT_EQ(forms::Brief(f.RemoveSelect), "RemoveSelect V-");
        EXPECT_FALSE(f.ConditionCombo.Visible());
        EXPECT_FALSE(f.ConditionTextCombo.Visible());
        EXPECT_FALSE(f.AndLabel.Visible());
        EXPECT_TRUE(f.AddSelect.Enabled());

        f.cmdBack.UserClick(); // back on page 4, the tree hidden
        EXPECT_EQ(Wizard::State().CurrentPage, 4);
        EXPECT_FALSE(f.DatabaseTreeView.Visible());
    });
}

TEST_F(WizardTest, PageSevenOffersAPathFromTheTitleOnceAndKeepsWhatIsThere) {
    const auto report = MakeReport();
    report->SetTitleText("Sales");
    const std::string folder = std::filesystem::current_path().string();
    Run(report, [&](frmWizard& f) {
        while (f.cmdNext.Enabled()) {
            f.cmdNext.UserClick();
        }
        EXPECT_EQ(f.SaveText.Text(), folder + "/Sales.rpt");
        EXPECT_EQ(f.SaveText.SelStart(), 0);
        f.cmdBack.UserClick();
        forms::user::Type(f.TitleText, "Other");
        f.cmdNext.UserClick();
        EXPECT_EQ(f.SaveText.Text(), folder + "/Sales.rpt");
        // Emptied, it is filled again from the current title.
        forms::user::Clear(f.SaveText);
        f.cmdBack.UserClick();
        forms::user::Clear(f.TitleText);
        f.cmdNext.UserClick();
        EXPECT_EQ(f.SaveText.Text(), folder + "/Report1.rpt");
    });
}

TEST_F(WizardTest, BackFromTheSelectionPageDropsFieldsLeftAtAnyValue) {
    Run(MakeReport(), [](frmWizard& f) {
        f.cmdNext.UserClick();
        f.cmdNext.UserClick();
        ASSERT_EQ(Wizard::State().CurrentPage, 5);
        // Two filtered fields as the selection page keeps them: "is any value" (0), and
        // "is equal to" (1) with one value.
        auto& s = Wizard::State();
        f.SelectList.AddItem("Customer.Name");
        f.SelectList.SetItemData(0, 0);
        f.SelectList.AddItem("Orders.Amount");
        f.SelectList.SetItemData(1, 1);
        s.SelectValueCount.Append(0);
        s.SelectValueCount.Append(1);
        s.SelectValues.Append("10");
        f.cmdNext.UserClick(); // Next keeps both
        EXPECT_EQ(f.SelectList.ListCount(), 2);
        f.cmdBack.UserClick(); // Back from page 6 drops the one at "is any value"
        ASSERT_EQ(f.SelectList.ListCount(), 1);
        EXPECT_EQ(f.SelectList.List(0), "Orders.Amount");
        EXPECT_EQ(f.SelectList.ListIndex(), 0);
        EXPECT_EQ(s.SelectValueCount.UBound(), 1);
        EXPECT_EQ(s.SelectValueCount(1), 1);
        EXPECT_EQ(s.SelectValues(1), "10");
    });
}

TEST_F(WizardTest, ABadDirectionShowsTheInternalErrorAndStaysOnThePage) {
    Run(MakeReport(), [this](frmWizard& f) {
        f.cmdNext.UserClick();
        backend->QueueAnswer(forms::vbOK);
        Wizard::ChangePage(static_cast<Wizard::PageDirection>(3));
        EXPECT_EQ(Wizard::State().CurrentPage, 2);
        EXPECT_EQ(ShownPage(f), 2);
    });
    ASSERT_EQ(backend->Boxes().size(), 1U);
    EXPECT_EQ(backend->Boxes()[0].request.text, "Internal Wizard Error, dog breath!");
    EXPECT_EQ(backend->Boxes()[0].request.buttons, forms::vbOKOnly);
}

TEST(OneBasedArrayTest, GrowsAndShrinksKeepingContentsAndRefusesIndexesOutsideItsBounds) {
    Wizard::OneBasedArray<std::int16_t> array("GroupSortKind");
    EXPECT_THROW(array(1), automation::AutomationError);
    array.ReDimPreserve(2);
    array(2) = 7;
    array.ReDimPreserve(3);
    EXPECT_EQ(array(2), 7);
    EXPECT_EQ(array(3), 0);
    array.ReDimPreserve(1);
    try {
        array(2);
        FAIL() << "an index past the end was accepted";
    } catch (const automation::AutomationError& e) {
        EXPECT_EQ(e.Number(), 9);
        EXPECT_EQ(e.Description(), "Subscript out of range: GroupSortKind(2) outside 1 to 1.");
    }
    EXPECT_THROW(array(0), automation::AutomationError);
}

} // namespace
} // namespace foliant::wizard::test
