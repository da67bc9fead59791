// The public object, the state and the frame of a run: errors raised to the host, the page
// table, the dialog as it opens, and Cancel.
#include "WizardTestSupport.h"

#include "platform/forms/Dump.h"
#include "resources/Resources.h"

namespace foliant::wizard::test {
namespace {

using automation::AutomationError;
using component::VRStandardWizard;

TEST_F(WizardTest, NonColumnarErrorsCountDownFrom65534AcrossAssignments) {
    VRStandardWizard wizard;
    EXPECT_EQ(Wizard::State().ReportErrorNumber, 65535);
    for (const int expected : {65534, 65533}) {
        try {
            Wizard::CheckReportKind(2);
            FAIL() << "a report of kind 2 was accepted";
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.Number(), expected);
            EXPECT_EQ(e.Source(), "");
            EXPECT_EQ(e.Description(), resources::LoadResString(249));
        }
    }
    // A columnar report raises nothing and leaves the number where it was.
    EXPECT_NO_THROW(Wizard::CheckReportKind(1));
    EXPECT_EQ(Wizard::State().ReportErrorNumber, 65533);
    // Every new object starts the count again for the whole thread.
    VRStandardWizard second;
    EXPECT_EQ(Wizard::State().ReportErrorNumber, 65535);
}

TEST_F(WizardTest, VellumReportIsEmptyBeforeAnyAssignmentAndKeepsTheAssignedObject) {
    VRStandardWizard wizard;
    EXPECT_EQ(wizard.VellumReport(), nullptr);
    const auto report = MakeReport();
    wizard.SetVellumReport(report);
    EXPECT_EQ(wizard.VellumReport(), report);
    EXPECT_EQ(Wizard::State().CurrentReport, report);
}

TEST_F(WizardTest, AnObjectThatIsNotAReportIsATypeMismatchAndCurrentReportStays) {
    VRStandardWizard wizard;
    const auto report = MakeReport();
    wizard.SetVellumReport(report);
    const auto notAReport = report->GetDataSource();
    try {
        wizard.SetVellumReport(notAReport);
        FAIL() << "a data source was taken for a report";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.Number(), 13);
    }
    EXPECT_EQ(wizard.VellumReport(), notAReport);
    EXPECT_EQ(Wizard::State().CurrentReport, report);
}

TEST_F(WizardTest, ObjectsOfOneThreadShareTheLastAssignedReport) {
    VRStandardWizard first;
    VRStandardWizard second;
    const auto a = MakeReport();
    const auto b = MakeReport();
    first.SetVellumReport(a);
    second.SetVellumReport(b);
    EXPECT_EQ(first.VellumReport(), a);
    EXPECT_EQ(Wizard::State().CurrentReport, b);
}

TEST_F(WizardTest, DisplayWithoutAReportEndsWithAnErrorAndLeavesNoDialogLoaded) {
    VRStandardWizard wizard;
    bool shown = false;
    backend->SetDriver([&shown](forms::Form&) { shown = true; });
    EXPECT_THROW(wizard.DisplayReportWizard(), AutomationError);
    EXPECT_FALSE(shown);
    // The failed run leaves no dialog loaded: the next one opens.
    ASSERT_NE(Wizard::CurrentWizardForm(), nullptr);
    EXPECT_FALSE(Wizard::CurrentWizardForm()->Loaded());
    Run(MakeReport(), [&shown](frmWizard&) { shown = true; });
    EXPECT_TRUE(shown);
}

TEST_F(WizardTest, PageTableAndTagsPutEveryPagedControlOnOnePage) {
    Run(MakeReport(), [](frmWizard& f) {
        const auto& s = Wizard::State();
        ASSERT_EQ(s.PageCount, 7);
        const std::vector<int> ends(s.PageControlEnd.Values().begin(),
                                    s.PageControlEnd.Values().end());
        EXPECT_EQ(ends, (std::vector<int>{11, 22, 37, 54, 67, 74, 83}));
        EXPECT_EQ(s.CurrentPage, 1);
        EXPECT_EQ(ShownPage(f), 1);
        // Where a few controls of each page land.
        const std::vector<std::pair<std::string, int>> pages = {
            {"ChooseFieldFrame", 1}, {"WhichGroupSortLabel", 2}, {"ChooseTotalFrame", 3},
            {"SumCombo", 3},         {"TopNTotalADFrame", 4},    {"ChooseSelectFrame", 5},
            {"ConditionDel", 5},     {"StylePicture", 6},        {"Browse", 7},
            {"SaveOption", 7}};
        for (const auto& [name, page] : pages) {
            const int t = Wizard::TagNumber(f.Control(name));
            EXPECT_GT(t, 9 + (page > 1 ? s.PageControlEnd(page - 1) : 0)) << name;
            EXPECT_LE(t, 9 + s.PageControlEnd(page)) << name;
        }
        EXPECT_EQ(Wizard::TagNumber(f.CommonDialog1), 0);
        EXPECT_LE(Wizard::TagNumber(f.DatabaseTreeView), 9);
    });
}

TEST_F(WizardTest, TheDialogOpensOnPageOneWithItsTextsAndDesignState) {
    Run(MakeReport(), [](frmWizard& f) {
        EXPECT_EQ(f.Caption(), "Vellum Report Wizard");
        EXPECT_EQ(f.ScaleWidth(), 7905);
        EXPECT_EQ(f.ScaleHeight(), 4710);
        EXPECT_EQ(f.DefaultButton(), &f.cmdNext);
        EXPECT_EQ(f.CancelButton(), &f.cmdCancel);
        EXPECT_EQ(f.Controls().front(), &f.cmdNext);
        EXPECT_EQ(forms::Brief(f.cmdBack), "cmdBack V-");
        EXPECT_EQ(f.cmdBack.Caption(), "< &Back");
        EXPECT_EQ(f.cmdNext.ToolTipText(), "Move to next page.");
        EXPECT_EQ(f.ConditionDel.ToolTipText(), "Remove the  selected condition.");
        EXPECT_EQ(f.WhichTopNLabel.Caption(), resources::LoadResString(309));
        EXPECT_TRUE(f.ChooseFieldBoldLabel.FontBold());
        EXPECT_TRUE(f.WhichReportPathLabel.FontBold());
        EXPECT_EQ(f.OrderCombo.ListCount(), 3);
        EXPECT_EQ(f.OrderCombo.ListIndex(), 0);
        EXPECT_EQ(f.ConditionCombo.ListCount(), 15);
        EXPECT_EQ(f.ConditionCombo.List(14), "is not like");
        EXPECT_EQ(f.StyleList.ListCount(), 10);
        EXPECT_EQ(f.StyleList.List(9), "Maroon/Teal Box");
        EXPECT_EQ(f.StylePicture.Picture(), forms::Picture::Resource(103));
        EXPECT_EQ(f.FinalPicture.Picture(), forms::Picture::Resource(102));
        EXPECT_EQ(f.TopNSortCombo.ListIndex(), 2);
        EXPECT_EQ(f.TopNOthersText.Text(), "Others");
        EXPECT_EQ(f.CommonDialog1.FileName(), "Report1.rpt");
        EXPECT_EQ(f.CommonDialog1.Filter(), "Vellum Reports (*.rpt) | *.rpt");
        EXPECT_EQ(f.CommonDialog1.Flags() & 4, 4);
        EXPECT_EQ(f.ImageList1.Keys().size(), 5U);
        EXPECT_EQ(f.DatabaseTreeView.ImageList(), &f.ImageList1);
        EXPECT_EQ(f.GroupTreeView.ImageList(), &f.ImageList1);
        ASSERT_EQ(f.GroupTreeView.Nodes().Count(), 1);
        EXPECT_EQ(f.GroupTreeView.Nodes().Item(1).Text(), "Groups");
        EXPECT_TRUE(f.GroupTreeView.Nodes().Item(1).Expanded());
        EXPECT_EQ(forms::Brief(f.Add), "Add VE");
        EXPECT_EQ(forms::Brief(f.Remove), "Remove V-");
        EXPECT_EQ(forms::Brief(f.CmdReportFieldUp), "CmdReportFieldUp V-");
        EXPECT_FALSE(f.RemoveGroup.Enabled());
        EXPECT_FALSE(f.SumCombo.Enabled());
        EXPECT_EQ(f.GrandTotalCheck.Value(), 1);
        EXPECT_TRUE(f.QuickPreviewOption.Value());
        EXPECT_EQ(f.TopNAscendingOption.Container(), &f.TopNTotalADFrame);
    });
}

// Node texts of the tree, "Table:" for table nodes, in collection order.
std::vector<std::string> TreeTexts(const frmWizard& f) {
    std::vector<std::string> out;
    const auto& nodes = f.DatabaseTreeView.Nodes();
    for (int i = 2; i <= nodes.Count(); ++i) {
        const auto& node = nodes.Item(i);
        out.push_back(node.Parent() == &nodes.Item(1) ? node.Text() + ":" : node.Text());
    }
    return out;
}

TEST_F(WizardTest, TheTreeShowsLongTextOnlyOnTheFieldsPageAndNeverBlobsOrUntypedColumns) {
    const auto report = MakeReport(R"sql(
        CREATE TABLE Misc (Id INTEGER, Anything, Data BLOB, Memo LONGTEXT, Stamp TIMESTAMP,
                           Amount MONEY);
        CREATE TABLE Other (Label TEXT);
    )sql");
    const std::vector<std::string> withLongText = {"Misc:",  "Id",     "Memo", "Stamp",
                                                   "Amount", "Other:", "Label"};
    const std::vector<std::string> withoutLongText = {"Misc:",  "Id",     "Stamp",
                                                      "Amount", "Other:", "Label"};
    std::vector<std::pair<int, std::vector<std::string>>> seen;
    Run(report, [&](frmWizard& f) {
        seen.emplace_back(Wizard::State().CurrentPage, TreeTexts(f));
        for (int i = 0; i < 3; ++i) {
            f.cmdNext.UserClick();
            seen.emplace_back(Wizard::State().CurrentPage, TreeTexts(f));
        }
        // Back to page 1 rebuilds it with long text again.
        f.cmdBack.UserClick();
        f.cmdBack.UserClick();
        f.cmdBack.UserClick();
        seen.emplace_back(Wizard::State().CurrentPage, TreeTexts(f));
        EXPECT_EQ(f.DatabaseTreeView.SelectedItem(), &f.DatabaseTreeView.Nodes().Item(3));
        // The tree's tags: "" for the root, the table name, the braced field name.
        EXPECT_EQ(f.DatabaseTreeView.Nodes().Item(1).Tag(), "");
        EXPECT_EQ(f.DatabaseTreeView.Nodes().Item(2).Tag(), "Misc");
        EXPECT_EQ(f.DatabaseTreeView.Nodes().Item(3).Tag(), "{Misc.Id}");
        // Numeric fields only in the second-field list.
        ASSERT_EQ(f.SecondSummaryCombo.ListCount(), 2);
        EXPECT_EQ(f.SecondSummaryCombo.List(0), "Misc.Id");
        EXPECT_EQ(f.SecondSummaryCombo.List(1), "Misc.Amount");
    });
    ASSERT_EQ(seen.size(), 5U);
    EXPECT_EQ(seen[0], (std::pair{1, withLongText}));
    EXPECT_EQ(seen[1], (std::pair{2, withoutLongText}));
    EXPECT_EQ(seen[2], (std::pair{5, withoutLongText}));
    EXPECT_EQ(seen[3].first, 6);
    EXPECT_EQ(seen[4], (std::pair{1, withLongText}));
}

TEST_F(WizardTest, ADataSourceWithoutFieldsDisablesEveryAddButton) {
    // Two tables: node 3 is the second table, which must not be taken for a field.
    auto empty = std::make_shared<engine::Table>("Empty", false);
    auto blobs = std::make_shared<engine::Table>("Blobs", false);
    blobs->AddField("Data", "BLOB");
    const auto report =
        Report::Create(engine::DataSource::FromSchema(dir.File("none.db"), {empty, blobs}, {}));
    Run(report, [](frmWizard& f) {
        EXPECT_EQ(f.DatabaseTreeView.Nodes().Count(), 3); // the root and two tables
        EXPECT_FALSE(f.Add.Enabled());
        EXPECT_FALSE(f.AddGroup.Enabled());
        EXPECT_FALSE(f.AddSelect.Enabled());
        f.cmdNext.UserClick();
        EXPECT_FALSE(f.AddGroup.Enabled());
        EXPECT_FALSE(f.RemoveGroup.Enabled());
        f.cmdNext.UserClick();
        EXPECT_EQ(Wizard::State().CurrentPage, 5);
        EXPECT_FALSE(f.AddSelect.Enabled());
        EXPECT_EQ(f.DatabaseTreeView.SelectedItem(), nullptr);
    });
}

TEST_F(WizardTest, WhenOnlyALaterTableHasFieldsItsFirstFieldIsSelected) {
    auto empty = std::make_shared<engine::Table>("Empty", false);
    auto orders = std::make_shared<engine::Table>("Orders", false);
    orders->AddField("Amount", "MONEY");
    const auto report =
        Report::Create(engine::DataSource::FromSchema(dir.File("some.db"), {empty, orders}, {}));
    Run(report, [](frmWizard& f) {
        ASSERT_NE(f.DatabaseTreeView.SelectedItem(), nullptr);
        EXPECT_EQ(f.DatabaseTreeView.SelectedItem()->Tag(), "{Orders.Amount}");
        EXPECT_TRUE(f.Add.Enabled());
        f.cmdNext.UserClick();
        EXPECT_EQ(f.DatabaseTreeView.SelectedItem()->Tag(), "{Orders.Amount}");
        EXPECT_TRUE(f.AddGroup.Enabled());
    });
}

TEST_F(WizardTest, CancelLeavesTheReportExactlyAsItWas) {
    const auto report = MakeReport();
    AddGroup(*report, "{Customer.Country}", 1);
    PlaceField(*report, "D", "{Orders.Amount}", 1440);
    PlaceField(*report, "D", "{Customer.Name}", 0);
    PlaceSummary(*report, "GF1", "{Orders.Amount}", 0);
    PlaceSummary(*report, "RF", "{Orders.Amount}", 0);
    report->SetTitleText("Sales");
    report->ApplyLayoutStyle(3);
    const std::string before = engine::DescribeReport(*report);
    bool returned = false;
    Run(report, [&](frmWizard& f) {
        while (f.cmdNext.Enabled()) {
            f.cmdNext.UserClick();
        }
        f.cmdBack.UserClick();
        f.cmdCancel.UserClick();
        returned = !f.Loaded();
    });
    EXPECT_TRUE(returned);
    EXPECT_EQ(engine::DescribeReport(*report), before);
}

TEST_F(WizardTest, TheRunLoadsThePreviewWindowHiddenAndKeepsItsViewer) {
    const auto report = MakeReport();
    const forms::Form* preview = nullptr;
    bool hidden = false;
    Run(report, [&](frmWizard& f) {
        const auto& s = Wizard::State();
        ASSERT_NE(s.PreviewViewer, nullptr);
        preview = s.PreviewForm.get();
        EXPECT_EQ(&s.PreviewViewer->Parent(), preview);
        EXPECT_EQ(s.PreviewViewer->Name(), "vrViewer1");
        hidden = preview->Loaded() && !preview->Visible();
        f.cmdCancel.UserClick();
    });
    EXPECT_TRUE(hidden);
    // The next run takes the same hidden window rather than loading another.
    Run(report, [&](frmWizard& f) {
        EXPECT_EQ(Wizard::State().PreviewForm.get(), preview);
        f.cmdCancel.UserClick();
    });
}

TEST_F(WizardTest, ASecondRunFromInsideTheOpenWizardIsRefusedAndChangesNothing) {
    const auto report = MakeReport();
    Run(report, [&report](frmWizard& f) {
        f.cmdNext.UserClick();
        component::VRStandardWizard inner;
        inner.SetVellumReport(report);
        try {
            inner.DisplayReportWizard();
            FAIL() << "a second wizard opened over the first";
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.Number(), 400);
        }
        EXPECT_EQ(Wizard::CurrentWizardForm(), &f);
        EXPECT_EQ(Wizard::State().CurrentPage, 2);
        EXPECT_EQ(Wizard::State().PageControlEnd.UBound(), 7);
        f.cmdBack.UserClick();
        EXPECT_EQ(ShownPage(f), 1);
    });
}

TEST_F(WizardTest, EscPressesCancelFromAnyControl) {
    bool unloaded = false;
    Run(MakeReport(), [&](frmWizard& f) {
        f.cmdNext.UserClick();
        f.DatabaseTreeView.UserKeyDown(forms::kKeyEscape);
        unloaded = !f.Loaded();
    });
    EXPECT_TRUE(unloaded);
}

} // namespace
} // namespace foliant::wizard::test
