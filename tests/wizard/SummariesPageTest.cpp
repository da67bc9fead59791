// The summaries page: a group's summaries, their operations and parameters, grand totals.
#include "GroupPagesSupport.h"

#include "platform/forms/FormsError.h"
#include "platform/forms/UserActions.h"
#include "resources/Resources.h"

namespace foliant::wizard::test {
namespace {

using forms::user::Select;
using resources::LoadResString;

// The page as "#0 [Orders.Amount] sum/19 | P is: '1' | grand 1 remove+": TotalList, the
// operation shown and how many SumCombo offers ("(off)" when disabled), the parameter boxes
// shown (N/P with its label and text, or With: and the second field), the grand-total box and
// whether RemoveTotal is enabled.
std::string Page3(const frmWizard& f) {
    std::string out = "#" + std::to_string(f.TotalList.ListIndex()) + " [";
    for (int i = 0; i < f.TotalList.ListCount(); ++i) {
        out += (i == 0 ? "" : "|") + f.TotalList.List(i);
    }
    const int op = f.SumCombo.ListIndex();
    out += "] " + (op < 0 ? std::string("none") : f.SumCombo.List(op)) + "/" +
           std::to_string(f.SumCombo.ListCount()) + (f.SumCombo.Enabled() ? "" : "(off)");
    if (f.PIsText.Visible()) {
        out += " | " + f.PIsLabel.Caption() + " '" + f.PIsText.Text() + "'";
    }
    if (f.SecondSummaryCombo.Visible()) {
        const int i = f.SecondSummaryCombo.ListIndex();
        out += " | " + f.WithLabel.Caption() + " " +
               (i < 0 ? std::string("none") : f.SecondSummaryCombo.List(i));
    }
    return out + " | grand " + std::to_string(f.GrandTotalCheck.Value()) + " remove" +
           (f.RemoveTotal.Enabled() ? "+" : "-");
}

// From page 1 to the summaries page with one group on each named field of Customer.
void ToSummaries(frmWizard& f, std::initializer_list<const char*> groups) {
    f.cmdNext.UserClick();
    for (const char* field : groups) {
        ClickField(f, "Customer", field);
        f.AddGroup.UserClick();
    }
    f.cmdNext.UserClick();
    ASSERT_EQ(Wizard::State().CurrentPage, 3);
}

void AddSummary(frmWizard& f, const std::string& table, const std::string& field) {
    ClickField(f, table, field);
    f.AddTotal.UserClick();
    ExpectParallel(f);
}

TEST_F(WizardTest, SummariesGoRightAfterTheirGroupsLastSummary) {
    Run(MakeReport(), [](frmWizard& f) {
        ToSummaries(f, {"Country", "Name"});
        EXPECT_EQ(forms::Brief(f.GroupCombo), "GroupCombo VE #0 [Customer.Country|Customer.Name]");
        EXPECT_EQ(Page3(f), "#-1 [] none/0(off) | grand 1 remove-");
        // A number field is summed, offered all operations; the tree moves on.
        AddSummary(f, "Orders", "Amount");
        EXPECT_EQ(Page3(f), "#0 [Orders.Amount] sum/19 | grand 1 remove+");
        EXPECT_EQ(f.DatabaseTreeView.SelectedItem()->Text(), "Quantity");
        // A text field gets its maximum, out of the eight operations it can have.
        Select(f.GroupCombo, 1);
        ExpectParallel(f);
        EXPECT_EQ(Page3(f), "#-1 [] sum/19(off) | grand 1 remove-");
        AddSummary(f, "Customer", "Name");
        EXPECT_EQ(Page3(f), "#0 [Customer.Name] maximum/8 | grand 1 remove+");
        // Group 1's next summary goes before group 2's; the same field may come twice.
        Select(f.GroupCombo, 0);
        AddSummary(f, "Orders", "Rate");
        AddSummary(f, "Orders", "Amount");
        EXPECT_EQ(Page3(f),
                  "#2 [Orders.Amount|Orders.Rate|Orders.Amount] sum/19 | grand 1 remove+");
        EXPECT_EQ(Groups(), "3 2 -1 '' Others | 1 2 -1 '' Others");
        EXPECT_EQ(Summaries(), "Orders.Amount 0 '' + | Orders.Rate 0 '' + | Orders.Amount 0 '' + | "
                               "Customer.Name 4 '' +");

        // With summaries Next reaches the sorting page; without any it passes over it.
        f.cmdNext.UserClick();
        EXPECT_EQ(Wizard::State().CurrentPage, 4);
        f.cmdBack.UserClick();
        EXPECT_EQ(Page3(f),
                  "#0 [Orders.Amount|Orders.Rate|Orders.Amount] sum/19 | grand 1 remove+");
        for (int g : {0, 1}) {
            Select(f.GroupCombo, g);
            while (f.TotalList.ListCount() > 0) {
                f.RemoveTotal.UserClick();
                ExpectParallel(f);
            }
        }
        EXPECT_EQ(Page3(f), "#-1 [] maximum/8(off) | grand 1 remove-");
        f.cmdNext.UserClick();
        EXPECT_EQ(Wizard::State().CurrentPage, 5);
        f.cmdBack.UserClick();
        EXPECT_EQ(Wizard::State().CurrentPage, 3);
    });
}

TEST_F(WizardTest, ATextFieldsEightOperationsMapToTheirCodes) {
    Run(MakeReport(), [](frmWizard& f) {
        ToSummaries(f, {"Country"});
        AddSummary(f, "Customer", "Name");
        const std::vector<std::pair<int, std::int32_t>> entries{{0, 4},  {1, 5},  {2, 6},  {3, 9},
                                                                {4, 15}, {5, 16}, {6, 17}, {7, 18}};
        for (const auto& [entry, code] : entries) {
            Select(f.SumCombo, entry);
            ExpectParallel(f);
            EXPECT_EQ(Wizard::State().SummaryOperation(1), code) << "entry " << entry;
        }
        // Nth most frequent takes an N; shown again, the summary comes back on its entry.
        EXPECT_EQ(Page3(f), "#0 [Customer.Name] Nth most frequent/8 | N is: '1' | grand 1 remove+");
        forms::user::Paste(f.PIsText, "3");
        AddSummary(f, "Orders", "Amount");
        f.TotalList.UserSelect(0);
        EXPECT_EQ(Page3(f), "#0 [Customer.Name|Orders.Amount] Nth most frequent/8 | N is: '3' | "
                            "grand 1 remove+");
        Select(f.SumCombo, "distinct count");
        EXPECT_EQ(Page3(f), "#0 [Customer.Name|Orders.Amount] distinct count/8 | grand 1 remove+");
        EXPECT_EQ(Summaries(), "Customer.Name 9 '3' + | Orders.Amount 0 '' +");
    });
}

TEST_F(WizardTest, AnOperationCodeTheListCannotShowIsReportedNotShown) {
    Run(MakeReport(), [this](frmWizard& f) {
        ToSummaries(f, {"Country"});
        AddSummary(f, "Customer", "Name");
        AddSummary(f, "Customer", "Since");
        Wizard::State().SummaryOperation(1) = 0; // a sum of a text field
        backend->QueueAnswer(forms::vbOK);
        f.TotalList.UserSelect(0);
        EXPECT_EQ(Page3(f), "#0 [Customer.Name|Customer.Since] none/8 | grand 1 remove+");
    });
    ASSERT_EQ(backend->Boxes().size(), 1U);
    EXPECT_EQ(backend->Boxes()[0].request.text, "programming error");
}

TEST_F(WizardTest, ParametersFollowTheOperationAndStayWithTheirSummary) {
    Run(MakeReport(), [](frmWizard& f) {
        ToSummaries(f, {"Country"});
        AddSummary(f, "Orders", "Amount");
        Select(f.SumCombo, "Pth percentile");
        EXPECT_EQ(Page3(f), "#0 [Orders.Amount] Pth percentile/19 | P is: '1' | grand 1 remove+");
        forms::user::Paste(f.PIsText, "90");
        Select(f.SumCombo, "Nth largest");
        EXPECT_EQ(Page3(f), "#0 [Orders.Amount] Nth largest/19 | N is: '1' | grand 1 remove+");
        forms::user::Paste(f.PIsText, "2");

        // The second field of a correlation is a number field, the first offered by default.
        AddSummary(f, "Orders", "Rate");
        Select(f.SumCombo, "correlation");
        EXPECT_EQ(Page3(f),
                  "#1 [Orders.Amount|Orders.Rate] correlation/19 | With: Customer.Id | grand 1 "
                  "remove+");
        EXPECT_EQ(forms::Brief(f.SecondSummaryCombo),
                  "SecondSummaryCombo VE #0 [Customer.Id|Orders.Id|Orders.CustomerId|"
                  "Orders.Amount|Orders.Quantity|Orders.Rate]");
        Select(f.SecondSummaryCombo, "Orders.Quantity");

        // Each summary shows its own parameter again.
        f.TotalList.UserSelect(0);
        EXPECT_EQ(Page3(f),
                  "#0 [Orders.Amount|Orders.Rate] Nth largest/19 | N is: '2' | grand 1 remove+");
        f.TotalList.UserSelect(1);
        EXPECT_EQ(Page3(f),
                  "#1 [Orders.Amount|Orders.Rate] correlation/19 | With: Orders.Quantity | grand "
                  "1 remove+");
        // Another operation that takes a field starts again from the first one; an operation
        // without a parameter hides both boxes and leaves the stored text unused.
        Select(f.SumCombo, "weighted average");
        EXPECT_EQ(Summaries(), "Orders.Amount 15 '2' + | Orders.Rate 12 'Customer.Id' +");
        Select(f.SumCombo, "median");
        EXPECT_EQ(Page3(f), "#1 [Orders.Amount|Orders.Rate] median/19 | grand 1 remove+");
        // An N where a field belongs is replaced by the first field.
        Wizard::State().SummaryParameter(2) = "7";
        Wizard::State().SummaryOperation(2) = 11;
        f.TotalList.UserSelect(0);
        f.TotalList.UserSelect(1);
        EXPECT_EQ(Summaries(), "Orders.Amount 15 '2' + | Orders.Rate 11 'Customer.Id' +");
        ExpectParallel(f);
    });
}

TEST_F(WizardTest, ThePBoxTakesDigitsOnlyAndWholeNumbersFromOneTo32767) {
    Run(MakeReport(), [this](frmWizard& f) {
        ToSummaries(f, {"Country"});
        AddSummary(f, "Orders", "Amount");
        Select(f.SumCombo, "Pth percentile");
        // 0 and a number above 32767 are refused and the stored value comes back.
        backend->QueueAnswer(forms::vbOK);
        forms::user::Paste(f.PIsText, "0");
        EXPECT_EQ(f.PIsText.Text(), "1");
        forms::user::Paste(f.PIsText, "32767");
        backend->QueueAnswer(forms::vbOK);
        forms::user::Paste(f.PIsText, "32768");
        EXPECT_EQ(f.PIsText.Text(), "32767");
        // Pasted blanks: trimmed, and two pieces joined with the caret between them.
        forms::user::Paste(f.PIsText, " 1 2 ");
        EXPECT_EQ(f.PIsText.Text(), "12");
        EXPECT_EQ(f.PIsText.SelStart(), 1);
        forms::user::Paste(f.PIsText, "3 4 5");
        EXPECT_EQ(f.PIsText.Text(), "34");
        EXPECT_EQ(Summaries(), "Orders.Amount 14 '34' +");
        // A typed blank is refused with a message and then dropped.
        backend->QueueAnswer(forms::vbOK);
        forms::user::Type(f.PIsText, "1 2");
        EXPECT_EQ(f.PIsText.Text(), "12");
        // A pasted letter is no whole number.
        backend->QueueAnswer(forms::vbOK);
        forms::user::Paste(f.PIsText, "1x");
        EXPECT_EQ(f.PIsText.Text(), "12");
        // A cleared box stores nothing for P ...
        forms::user::Clear(f.PIsText);
        EXPECT_EQ(Summaries(), "Orders.Amount 14 '' +");
        // ... until the summary is shown again, which starts P over at 1.
        AddSummary(f, "Orders", "Rate");
        f.TotalList.UserSelect(0);
        EXPECT_EQ(Summaries(), "Orders.Amount 14 '1' + | Orders.Rate 0 '' +");
    });
    const std::vector<int> expected{274, 274, 160, 274};
    ASSERT_EQ(backend->Boxes().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto& box = backend->Boxes()[i].request;
        EXPECT_EQ(box.text, LoadResString(expected[i])) << "box " << i;
        EXPECT_EQ(box.title, LoadResString(128));
        EXPECT_EQ(box.icon, forms::vbInformation);
        EXPECT_EQ(box.buttons, forms::vbOKOnly);
    }
}

TEST_F(WizardTest, RemovingASummaryKeepsTheOthersParameters) {
    Run(MakeReport(), [](frmWizard& f) {
        ToSummaries(f, {"Country"});
        AddSummary(f, "Orders", "Amount");
        AddSummary(f, "Orders", "Quantity");
        Select(f.SumCombo, "Nth smallest");
        forms::user::Paste(f.PIsText, "3");
        AddSummary(f, "Orders", "Rate");
        Select(f.SumCombo, "covariance");
        Select(f.SecondSummaryCombo, "Orders.Amount");
        f.TotalList.UserSelect(0);
        f.RemoveTotal.UserClick();
        ExpectParallel(f);
        EXPECT_EQ(Summaries(), "Orders.Quantity 16 '3' + | Orders.Rate 11 'Orders.Amount' +");
        EXPECT_EQ(Page3(f),
                  "#0 [Orders.Quantity|Orders.Rate] Nth smallest/19 | N is: '3' | grand 1 remove+");
        EXPECT_EQ(f.ActiveControl(), &f.DatabaseTreeView);
        // The last entry: the new last one is selected.
        f.TotalList.UserSelect(1);
        f.RemoveTotal.UserClick();
        EXPECT_EQ(Page3(f), "#0 [Orders.Quantity] Nth smallest/19 | N is: '3' | grand 1 remove+");
        f.RemoveTotal.UserClick();
        ExpectParallel(f);
        EXPECT_EQ(Page3(f), "#-1 [] sum/19(off) | grand 1 remove-");
    });
}

TEST_F(WizardTest, RemovingASummaryOfTheSortFieldResetsTheGroupsSorting) {
    Run(ThreeGroups(MakeReport()), [](frmWizard& f) {
        f.cmdNext.UserClick();
        f.cmdNext.UserClick();
        // Group 1 keeps its top 3 by Orders.Amount while another field's summary goes ...
        AddSummary(f, "Orders", "Rate");
        f.RemoveTotal.UserClick();
        EXPECT_EQ(Groups(), kThreeGroupsArrays);
        // ... and returns to Sort All when either summary of Orders.Amount goes, even the one
        // that was not the sort's.
        f.TotalList.UserSelect(1);
        f.RemoveTotal.UserClick();
        ExpectParallel(f);
        EXPECT_EQ(Groups(), "1 2 -1 '' Others | 1 2 -1 '' Others | 1 2 -1 '' Others");
    });
}

TEST_F(WizardTest, TheGrandTotalBoxBelongsToTheSelectedSummaryOnly) {
    Run(MakeReport(), [](frmWizard& f) {
        ToSummaries(f, {"Country"});
        AddSummary(f, "Orders", "Amount");
        AddSummary(f, "Orders", "Quantity");
        f.GrandTotalCheck.UserCheck();
        EXPECT_EQ(Summaries(), "Orders.Amount 0 '' + | Orders.Quantity 0 '' -");
        f.TotalList.UserSelect(0);
        EXPECT_EQ(f.GrandTotalCheck.Value(), 1);
        f.TotalList.UserSelect(1);
        EXPECT_EQ(f.GrandTotalCheck.Value(), 0);
        // A click in the database tree deselects the summary: the box then changes nothing.
        Select(f.SumCombo, "Nth largest");
        ClickField(f, "Orders", "Rate");
        EXPECT_EQ(Page3(f), "#-1 [Orders.Amount|Orders.Quantity] Nth largest/19(off) | grand 0 "
                            "remove-");
        f.GrandTotalCheck.UserCheck();
        EXPECT_EQ(Summaries(), "Orders.Amount 0 '' + | Orders.Quantity 15 '1' -");
        ExpectParallel(f);
    });
}

} // namespace
} // namespace foliant::wizard::test
