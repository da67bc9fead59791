// The fields page: building the column list from the database tree, as a person does it.
#include "WizardTestSupport.h"

#include "platform/forms/FormsError.h"
#include "platform/forms/UserActions.h"

namespace foliant::wizard::test {
namespace {

using forms::user::ClickNode;

// The field list as "#index [text:kind|...]" and the page's buttons as "+" (enabled) or "-",
// in the order Add AddAll Remove RemoveAll Up Down.
std::string Page1(const frmWizard& f) {
    const auto& list = f.ReportFieldList1;
    std::string out = "#" + std::to_string(list.ListIndex()) + " [";
    for (int i = 0; i < list.ListCount(); ++i) {
        out += (i == 0 ? "" : "|") + list.List(i) + ":" + std::to_string(list.ItemData(i));
    }
    out += "] ";
    for (const forms::Control* button :
         {static_cast<const forms::Control*>(&f.Add), static_cast<const forms::Control*>(&f.AddAll),
          static_cast<const forms::Control*>(&f.Remove),
          static_cast<const forms::Control*>(&f.RemoveAll),
          static_cast<const forms::Control*>(&f.CmdReportFieldUp),
          static_cast<const forms::Control*>(&f.cmdReportFieldDown)}) {
        out += button->Enabled() ? '+' : '-';
    }
    return out;
}

std::string SelectedNode(const frmWizard& f) {
    const forms::Node* node = f.DatabaseTreeView.SelectedItem();
    return node == nullptr ? "none" : node->Text();
}

TEST_F(WizardTest, AddPutsTheFieldAfterTheSelectionOrAtTheTopAndMovesTheTreeOn) {
    Run(MakeReport(), [](frmWizard& f) {
        EXPECT_EQ(Page1(f), "#-1 [] ++----");
        EXPECT_EQ(SelectedNode(f), "Id");
        // Nothing selected: the field goes to the top; one item has nowhere to move.
        f.Add.UserClick();
        EXPECT_EQ(Page1(f), "#0 [Customer.Id:1] ++++--");
        EXPECT_EQ(SelectedNode(f), "Name");
        EXPECT_EQ(f.ActiveControl(), &f.DatabaseTreeView);
        // Repeated adds keep their order.
        f.Add.UserClick();
        f.Add.UserClick();
        EXPECT_EQ(Page1(f), "#2 [Customer.Id:1|Customer.Name:1|Customer.Country:1] +++++-");
        // With the first item selected, a field from another table goes right after it.
        f.ReportFieldList1.UserSelect(0);
        EXPECT_EQ(Page1(f), "#0 [Customer.Id:1|Customer.Name:1|Customer.Country:1] ++++-+");
        ClickField(f, "Orders", "Amount");
        f.Add.UserClick();
        EXPECT_EQ(Page1(f),
                  "#1 [Customer.Id:1|Orders.Amount:1|Customer.Name:1|Customer.Country:1] ++++++");
        EXPECT_EQ(SelectedNode(f), "Quantity");
        // With no selection (as code may leave it) the field goes to the top again.
        f.ReportFieldList1.SetListIndex(-1);
        f.Add.UserClick();
        EXPECT_EQ(f.ReportFieldList1.List(0), "Orders.Quantity");
        EXPECT_EQ(f.ReportFieldList1.ListIndex(), 0);
    });
}

TEST_F(WizardTest, AddingATablesLastFieldDisablesAddUntilAFieldNodeIsClicked) {
    Run(MakeReport(), [](frmWizard& f) {
        ClickField(f, "Customer", "Notes");
        f.Add.UserClick();
        EXPECT_EQ(Page1(f), "#0 [Customer.Notes:1] -+++--");
        EXPECT_EQ(SelectedNode(f), "Customer");
        EXPECT_THROW(f.Add.UserClick(), forms::UserActionRefused);
        // Clicking the root or a table keeps Add off; a field node turns it on.
        ClickNode(f.DatabaseTreeView, 1);
        EXPECT_FALSE(f.Add.Enabled());
        ClickNode(f.DatabaseTreeView, "Orders");
        EXPECT_FALSE(f.Add.Enabled());
        ClickField(f, "Orders", "Rate");
        EXPECT_TRUE(f.Add.Enabled());
        // Removing fields never turns Add back on by itself.
        f.Add.UserClick();
        EXPECT_FALSE(f.Add.Enabled());
        f.RemoveAll.UserClick();
        EXPECT_EQ(Page1(f), "#-1 [] -+----");
    });
}

TEST_F(WizardTest, AddAllReplacesTheListWithEveryFieldInTreeOrder) {
    Run(MakeReport(), [](frmWizard& f) {
        f.Add.UserClick();
        f.AddAll.UserClick();
        // Long text is listed on this page; the blob is not in the tree. The tree selection
        // and Add stay as they were.
        EXPECT_EQ(Page1(f), "#10 [Customer.Id:0|Customer.Name:0|Customer.Country:0|"
                            "Customer.Since:0|Customer.Notes:0|Orders.Id:0|Orders.CustomerId:0|"
                            "Orders.Amount:0|Orders.Quantity:0|Orders.Shipped:0|Orders.Rate:0] "
                            "+++++-");
        EXPECT_EQ(SelectedNode(f), "Name");
    });
}

TEST_F(WizardTest, RemoveSelectsTheItemThatTookThePlaceOrTheNewLast) {
    Run(MakeReport(), [](frmWizard& f) {
        for (int i = 0; i < 4; ++i) {
            f.Add.UserClick();
        }
        f.ReportFieldList1.UserSelect(1); // the middle
        f.Remove.UserClick();
        EXPECT_EQ(Page1(f), "#1 [Customer.Id:1|Customer.Country:1|Customer.Since:1] ++++++");
        EXPECT_EQ(f.ActiveControl(), &f.DatabaseTreeView);
        f.ReportFieldList1.UserSelect(2); // the last
        f.Remove.UserClick();
        EXPECT_EQ(Page1(f), "#1 [Customer.Id:1|Customer.Country:1] +++++-");
        f.ReportFieldList1.UserSelect(0); // the first
        f.Remove.UserClick();
        EXPECT_EQ(Page1(f), "#0 [Customer.Country:1] ++++--");
        f.Remove.UserClick();
        EXPECT_EQ(Page1(f), "#-1 [] ++----");
    });
}

// The list shrinking to one item used to leave a move button on from the item that was
// selected before: a move from the only item then ran past the end of the list.
TEST_F(WizardTest, RegressionOneItemLeftOffersNoMove) {
    Run(MakeReport(), [](frmWizard& f) {
        f.Add.UserClick();
        f.Add.UserClick();
        EXPECT_EQ(Page1(f), "#1 [Customer.Id:1|Customer.Name:1] +++++-");
        f.Remove.UserClick(); // the last: Up was on
        EXPECT_EQ(Page1(f), "#0 [Customer.Id:1] ++++--");
        EXPECT_THROW(f.CmdReportFieldUp.UserClick(), forms::UserActionRefused);

        f.Add.UserClick();
        f.ReportFieldList1.UserSelect(0);
        EXPECT_EQ(Page1(f), "#0 [Customer.Id:1|Customer.Country:1] ++++-+");
        f.Remove.UserClick(); // the first: Down was on
        EXPECT_EQ(Page1(f), "#0 [Customer.Country:1] ++++--");
        EXPECT_THROW(f.cmdReportFieldDown.UserClick(), forms::UserActionRefused);
        // Even called from code, a move from the only item changes nothing.
        f.cmdReportFieldDown_Click();
        f.CmdReportFieldUp_Click();
        EXPECT_EQ(Page1(f), "#0 [Customer.Country:1] ++++--");
    });
}

TEST_F(WizardTest, RegressionAddAllOfASingleFieldOffersNoMove) {
    Run(MakeReport("CREATE TABLE Only (Value INT);"), [](frmWizard& f) {
        f.AddAll.UserClick();
        EXPECT_EQ(Page1(f), "#0 [Only.Value:0] ++++--");
    });
}

TEST_F(WizardTest, MovesCarryTheFieldKindSoSpecialFieldsStaySpecial) {
    const auto report = MakeReport();
    report->AddFormulaField("Profit", "{Orders.Amount} * 2", engine::ValueType::Number);
    PlaceField(*report, "D", "PrintDate", 0);
    PlaceField(*report, "D", "{Orders.Amount}", 1000);
    PlaceField(*report, "D", "{@Profit}", 2000);
    Run(report, [](frmWizard& f) {
        // The import selected item 0.
        EXPECT_EQ(Page1(f), "#0 [PrintDate:4|Orders.Amount:1|@Profit:2] ++++-+");
        f.cmdReportFieldDown.UserClick();
        EXPECT_EQ(Page1(f), "#1 [Orders.Amount:1|PrintDate:4|@Profit:2] ++++++");
        f.cmdReportFieldDown.UserClick();
        EXPECT_EQ(Page1(f), "#2 [Orders.Amount:1|@Profit:2|PrintDate:4] +++++-");
        EXPECT_EQ(f.ActiveControl(), &f.DatabaseTreeView);
        f.CmdReportFieldUp.UserClick();
        f.CmdReportFieldUp.UserClick();
        EXPECT_EQ(Page1(f), "#0 [PrintDate:4|Orders.Amount:1|@Profit:2] ++++-+");
        // Next and Back keep the list; coming back selects item 0 again.
        f.ReportFieldList1.UserSelect(2);
        f.cmdNext.UserClick();
        f.cmdBack.UserClick();
        EXPECT_EQ(Page1(f), "#0 [PrintDate:4|Orders.Amount:1|@Profit:2] ++++-+");
    });
}

TEST_F(WizardTest, DoubleClicksAddFieldNodesOnlyNeverTablesOrTheRoot) {
    Run(MakeReport(), [](frmWizard& f) {
        ClickNode(f.DatabaseTreeView, 1);
        f.DatabaseTreeView.UserDblClick();
        ClickNode(f.DatabaseTreeView, "Orders");
        f.DatabaseTreeView.UserDblClick();
        EXPECT_EQ(Page1(f), "#-1 [] -+----");
        ClickField(f, "Orders", "Rate");
        f.DatabaseTreeView.UserDblClick();
        EXPECT_EQ(Page1(f), "#0 [Orders.Rate:1] -+++--");
        // The add moved the selection to the table: a second double click adds nothing.
        f.DatabaseTreeView.UserDblClick();
        EXPECT_EQ(f.ReportFieldList1.ListCount(), 1);

        // On the grouping page the tree's clicks drive its add button; tables and the root
        // add nothing there either.
        f.cmdNext.UserClick();
        ASSERT_EQ(Wizard::State().CurrentPage, 2);
        ClickNode(f.DatabaseTreeView, "Customer");
        EXPECT_FALSE(f.AddGroup.Enabled());
        f.DatabaseTreeView.UserDblClick();
        EXPECT_EQ(f.GroupTreeView.Nodes().Count(), 1);
        ClickField(f, "Customer", "Country");
        EXPECT_TRUE(f.AddGroup.Enabled());
        EXPECT_FALSE(f.RemoveGroup.Enabled());
        EXPECT_FALSE(f.SortOrder.Enabled());
        EXPECT_FALSE(f.OrderCombo.Enabled());
        EXPECT_EQ(f.ReportFieldList1.ListCount(), 1) << "page 1's list is not touched";
    });
}

TEST_F(WizardTest, TreeClicksOnTheSelectionPageDriveItsAddButtonAndTheDefaultButton) {
    Run(MakeReport(), [](frmWizard& f) {
        f.cmdNext.UserClick();
        f.cmdNext.UserClick();
        ASSERT_EQ(Wizard::State().CurrentPage, 5);
        f.cmdNext.SetDefault(false);
        ClickNode(f.DatabaseTreeView, "Orders");
        EXPECT_FALSE(f.AddSelect.Enabled());
        EXPECT_EQ(f.DefaultButton(), &f.cmdNext);
        ClickField(f, "Orders", "Amount");
        EXPECT_TRUE(f.AddSelect.Enabled());
        EXPECT_TRUE(f.Add.Enabled()) << "the hidden fields page keeps its own state";
    });
}

TEST_F(WizardTest, ATreeWithoutFieldsIgnoresClicks) {
    Run(MakeReport("CREATE TABLE Pictures (Image BLOB);"), [](frmWizard& f) {
        ASSERT_EQ(f.DatabaseTreeView.Nodes().Count(), 2);
        ClickNode(f.DatabaseTreeView, "Pictures");
        f.DatabaseTreeView.UserDblClick();
        ClickNode(f.DatabaseTreeView, 1);
        EXPECT_EQ(Page1(f), "#-1 [] -+----");
        f.AddAll.UserClick();
        EXPECT_EQ(Page1(f), "#-1 [] -+----");
    });
}

TEST(FieldTags, StripBracesDropsTheFirstAndLastCharacter) {
    EXPECT_EQ(Wizard::StripBraces("{Orders.Amount}"), "Orders.Amount");
    EXPECT_EQ(Wizard::StripBraces("{}"), "");
    EXPECT_EQ(Wizard::StripBraces("x"), "");
}

TEST_F(WizardTest, IsFieldTagIsFalseForTheRootAndExactTableNamesOnly) {
    Run(MakeReport(), [](frmWizard&) {
        EXPECT_FALSE(Wizard::IsFieldTag(""));
        EXPECT_FALSE(Wizard::IsFieldTag("Orders"));
        EXPECT_TRUE(Wizard::IsFieldTag("orders")) << "table names compare case-sensitively";
        EXPECT_TRUE(Wizard::IsFieldTag("{Orders.Amount}"));
    });
}

} // namespace
} // namespace foliant::wizard::test
