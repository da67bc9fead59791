// The record selection page: filtered fields, their operators and values, as a person sets
// them, and the formula check that guards leaving the page.
#include "WizardTestSupport.h"

#include "platform/forms/FormsError.h"
#include "resources/Resources.h"

namespace foliant::wizard::test {
namespace {

// The page in one line: the filtered fields ("*" before the selected one, ":" its operator);
// after "|" the condition controls on screen (op index/entries, the value field's text and
// how many names its drop-down holds, "and" and the second value, the value list with its
// selection and whether Remove is enabled); after the second "|" SelectValueCount and
// SelectValues.
std::string Page5(const frmWizard& f) {
    std::string out;
    for (int i = 0; i < f.SelectList.ListCount(); ++i) {
        out += (i == f.SelectList.ListIndex() ? "*" : "") + f.SelectList.List(i) + ":" +
               std::to_string(f.SelectList.ItemData(i)) + " ";
    }
    out += "|";
    if (f.ConditionCombo.Visible()) {
        out += " op" + std::to_string(f.ConditionCombo.ListIndex()) + "/" +
               std::to_string(f.ConditionCombo.ListCount());
    }
    if (f.ConditionTextCombo.Visible()) {
        out += " text'" + f.ConditionTextCombo.Text() + "'";
        if (f.ConditionTextCombo.ListCount() > 0) {
            out += "(" + std::to_string(f.ConditionTextCombo.ListCount()) + ")";
        }
    }
    if (f.AndLabel.Visible()) {
        out += " and";
    }
    if (f.SecondConditionText.Visible()) {
        out += " '" + f.SecondConditionText.Text() + "'";
    }
    if (f.ConditionList.Visible()) {
        out += " [";
        for (int i = 0; i < f.ConditionList.ListCount(); ++i) {
            out += (i == 0 ? "" : ",") + f.ConditionList.List(i);
        }
        out += "]#" + std::to_string(f.ConditionList.ListIndex());
    }
    if (f.ConditionDel.Visible()) {
        out += f.ConditionDel.Enabled() ? " del+" : " del-";
    }
    out += " | ";
    const auto& s = Wizard::State();
    for (const auto n : s.SelectValueCount.Values()) {
        out += std::to_string(n);
    }
    out += ":";
    int total = 0;
    for (const auto n : s.SelectValueCount.Values()) {
        total += n;
    }
    for (int i = 1; i <= total; ++i) {
        out += (i == 1 ? "" : ",") + s.SelectValues(i);
    }
    return out;
}

// Without groups Next goes from the fields page to the grouping page and on to this one.
void ToPage5(frmWizard& f) {
    f.cmdNext.UserClick();
    f.cmdNext.UserClick();
    ASSERT_EQ(Wizard::State().CurrentPage, 5);
}

void AddField(frmWizard& f, const std::string& table, const std::string& field) {
    ClickField(f, table, field);
    f.AddSelect.UserClick();
}

// Selects the whole value and types over it, as a person does.
void TypeValue(forms::ComboBox& combo, const std::string& text) {
    combo.UserSetSelection(0, combo.Length());
    combo.UserType(text);
}

void Enter(frmWizard& f, const std::string& text) {
    TypeValue(f.ConditionTextCombo, text);
    f.ConditionTextCombo.UserKeyDown(forms::kKeyReturn);
}

TEST_F(WizardTest, OperatorsAreOfferedByTheFieldsTypeAndANewFieldStartsAtAnyValue) {
    Run(MakeReport(), [](frmWizard& f) {
        ToPage5(f);
        EXPECT_EQ(Page5(f), "| | :");
        EXPECT_TRUE(f.SelectList.Visible());
        EXPECT_FALSE(f.RemoveSelect.Enabled());
        EXPECT_TRUE(f.AddSelect.Enabled());
        const auto last = [&f] { return f.ConditionCombo.List(f.ConditionCombo.ListCount() - 1); };
        AddField(f, "Orders", "Amount");
        EXPECT_EQ(Page5(f), "*Orders.Amount:0 | op0/11 | 0:");
        EXPECT_TRUE(f.RemoveSelect.Enabled());
        EXPECT_EQ(f.ActiveControl(), &f.DatabaseTreeView);
        EXPECT_EQ(f.DatabaseTreeView.SelectedItem()->Text(), "Quantity");
        AddField(f, "Orders", "Shipped");
        EXPECT_EQ(f.ConditionCombo.ListCount(), 13);
        EXPECT_EQ(last(), "is not in the period");
        AddField(f, "Customer", "Name");
        EXPECT_EQ(f.ConditionCombo.ListCount(), 15);
        EXPECT_EQ(last(), "is not like");
        // The last field of a table: AddSelect goes off and the table node is selected.
        AddField(f, "Customer", "Since");
        EXPECT_EQ(f.ConditionCombo.ListCount(), 13);
        EXPECT_FALSE(f.AddSelect.Enabled());
        EXPECT_EQ(f.DatabaseTreeView.SelectedItem()->Text(), "Customer");
        // A field already filtered is selected, not added again.
        AddField(f, "Orders", "Amount");
        EXPECT_EQ(Page5(f), "*Orders.Amount:0 Orders.Shipped:0 Customer.Name:0 Customer.Since:0 "
                            "| op0/11 | 0000:");
    });
}

TEST_F(WizardTest, SwitchingBetweenListAndSingleOperatorsLeavesTheOtherFieldsAlone) {
    Run(MakeReport(), [](frmWizard& f) {
        ToPage5(f);
        AddField(f, "Customer", "Name");
        f.ConditionCombo.UserSelect(1);
        TypeValue(f.ConditionTextCombo, "Ann");
        AddField(f, "Orders", "Amount");
        f.ConditionCombo.UserSelect(1);
        EXPECT_EQ(f.ActiveControl(), &f.ConditionTextCombo);
        EXPECT_EQ(f.DefaultButton(), &f.cmdNext);
        TypeValue(f.ConditionTextCombo, "10");
        AddField(f, "Orders", "Quantity");
        f.ConditionCombo.UserSelect(9);
        TypeValue(f.ConditionTextCombo, "1");
        f.SecondConditionText.UserType("5");
        EXPECT_EQ(Page5(f), "Customer.Name:1 Orders.Amount:1 *Orders.Quantity:9 "
                            "| op9/11 text'1' and '5' | 112:Ann,10,1,5");

        f.SelectList.UserSelect(1);
        EXPECT_EQ(Page5(f), "Customer.Name:1 *Orders.Amount:1 Orders.Quantity:9 "
                            "| op1/11 text'10' | 112:Ann,10,1,5");
        // A list operator starts empty and takes Enter for itself.
        f.ConditionCombo.UserSelect(3);
        EXPECT_EQ(f.DefaultButton(), nullptr);
        EXPECT_EQ(Page5(f), "Customer.Name:1 *Orders.Amount:3 Orders.Quantity:9 "
                            "| op3/11 text'' []#-1 del- | 102:Ann,1,5");
        Enter(f, "10");
        Enter(f, "20");
        EXPECT_EQ(Page5(f), "Customer.Name:1 *Orders.Amount:3 Orders.Quantity:9 "
                            "| op3/11 text'' [10,20]#1 del+ | 122:Ann,10,20,1,5");
        // A value the list has already is selected, not added.
        Enter(f, "10");
        EXPECT_EQ(Page5(f), "Customer.Name:1 *Orders.Amount:3 Orders.Quantity:9 "
                            "| op3/11 text'' [10,20]#0 del+ | 122:Ann,10,20,1,5");
        EXPECT_EQ(Wizard::State().CurrentPage, 5);
        // Back to one value: it starts empty.
        f.ConditionCombo.UserSelect(1);
        EXPECT_EQ(Page5(f), "Customer.Name:1 *Orders.Amount:1 Orders.Quantity:9 "
                            "| op1/11 text'' | 112:Ann,,1,5");
        EXPECT_EQ(f.DefaultButton(), &f.cmdNext);
    });
}

TEST_F(WizardTest, OnlyIsOneOfTrimsTheValuesOfAList) {
    Run(MakeReport(), [](frmWizard& f) {
        ToPage5(f);
        AddField(f, "Customer", "Name");
        f.ConditionCombo.UserSelect(3);
        Enter(f, "  Ann  ");
        Enter(f, "");
        EXPECT_EQ(Page5(f), "*Customer.Name:3 | op3/15 text'' [Ann]#0 del+ | 1:Ann");
        // Nothing but spaces adds nothing and stays in the field.
        Enter(f, "   ");
        EXPECT_EQ(Page5(f), "*Customer.Name:3 | op3/15 text'   ' [Ann]#0 del+ | 1:Ann");
        f.ConditionCombo.UserSelect(13);
        Enter(f, "  A*  ");
        Enter(f, "   ");
        Enter(f, "B*");
        EXPECT_EQ(Page5(f),
                  "*Customer.Name:13 | op13/15 text'' [  A*  ,   ,B*]#2 del+ | 3:  A*  ,   ,B*");
        // Remove takes the selected value; the one after it, or the new last, is selected.
        f.ConditionList.UserSelect(0);
        f.ConditionDel.UserClick();
        EXPECT_EQ(Page5(f), "*Customer.Name:13 | op13/15 text'' [   ,B*]#0 del+ | 2:   ,B*");
        f.ConditionList.UserSelect(1);
        f.ConditionDel.UserClick();
        f.ConditionDel.UserClick();
        EXPECT_EQ(Page5(f), "*Customer.Name:13 | op13/15 text'' []#-1 del- | 0:");
        // The starts-with operators of a text field are lists too.
        f.ConditionCombo.UserSelect(11);
        Enter(f, " S ");
        EXPECT_EQ(Page5(f), "*Customer.Name:11 | op11/15 text'' [ S ]#0 del+ | 1: S ");
    });
}

TEST_F(WizardTest, APeriodStartsAtTheFirstPeriodAndKeepsThePersonsPick) {
    Run(MakeReport(), [](frmWizard& f) {
        ToPage5(f);
        AddField(f, "Customer", "Since");
        AddField(f, "Orders", "Amount");
        f.ConditionCombo.UserSelect(7);
        TypeValue(f.ConditionTextCombo, "5");
        f.SelectList.UserSelect(0);
        f.ConditionCombo.UserSelect(12);
        EXPECT_EQ(Page5(f), "*Customer.Since:12 Orders.Amount:7 "
                            "| op12/13 text'WeekToDateFromSun'(27) | 11:WeekToDateFromSun,5");
        EXPECT_EQ(f.DefaultButton(), nullptr);
        f.ConditionTextCombo.UserSelect(6);
        EXPECT_EQ(Page5(f), "*Customer.Since:12 Orders.Amount:7 "
                            "| op12/13 text'LastFullMonth'(27) | 11:LastFullMonth,5");
        // Enter neither adds anything nor leaves the page.
        f.ConditionTextCombo.UserKeyDown(forms::kKeyReturn);
        EXPECT_EQ(Wizard::State().CurrentPage, 5);
        f.SelectList.UserSelect(1);
        f.SelectList.UserSelect(0);
        EXPECT_EQ(Page5(f), "*Customer.Since:12 Orders.Amount:7 "
                            "| op12/13 text'LastFullMonth'(27) | 11:LastFullMonth,5");
        // Any other operator empties the value and the drop-down.
        f.ConditionCombo.UserSelect(1);
        EXPECT_EQ(Page5(f), "*Customer.Since:1 Orders.Amount:7 | op1/13 text'' | 11:,5");
    });
}

TEST_F(WizardTest, ARangeShowsBothStoredValuesWhenItsFieldIsSelectedAgain) {
    Run(MakeReport(), [](frmWizard& f) {
        ToPage5(f);
        AddField(f, "Orders", "Amount");
        AddField(f, "Orders", "Quantity");
        f.SelectList.UserSelect(0);
        f.ConditionCombo.UserSelect(10);
        EXPECT_EQ(Page5(f), "*Orders.Amount:10 Orders.Quantity:0 | op10/11 text'' and '' | 20:,");
        TypeValue(f.ConditionTextCombo, "1");
        f.SecondConditionText.UserType("50");
        f.SelectList.UserSelect(1);
        EXPECT_EQ(Page5(f), "Orders.Amount:10 *Orders.Quantity:0 | op0/11 | 20:1,50");
        f.SelectList.UserSelect(0);
        EXPECT_EQ(Page5(f),
                  "*Orders.Amount:10 Orders.Quantity:0 | op10/11 text'1' and '50' | 20:1,50");
    });
}

TEST_F(WizardTest, RemovingTheLastOfThreeSelectsTheNewLastAndRemovingTheOnlyOneHidesAll) {
    Run(MakeReport(), [](frmWizard& f) {
        ToPage5(f);
        AddField(f, "Orders", "Amount");
        f.ConditionCombo.UserSelect(1);
        TypeValue(f.ConditionTextCombo, "7");
        AddField(f, "Orders", "Quantity");
        f.ConditionCombo.UserSelect(3);
        Enter(f, "1");
        Enter(f, "2");
        AddField(f, "Orders", "Shipped");
        f.ConditionCombo.UserSelect(11);
        f.RemoveSelect.UserClick();
        EXPECT_EQ(Page5(f),
                  "Orders.Amount:1 *Orders.Quantity:3 | op3/11 text'' [1,2]#-1 del- | 12:7,1,2");
        EXPECT_EQ(f.DefaultButton(), &f.cmdNext);
        EXPECT_EQ(f.ActiveControl(), &f.DatabaseTreeView);
        f.SelectList.UserSelect(0);
        f.RemoveSelect.UserClick();
        EXPECT_EQ(Page5(f), "*Orders.Quantity:3 | op3/11 text'' [1,2]#-1 del- | 2:1,2");
        f.RemoveSelect.UserClick();
        EXPECT_EQ(Page5(f), "| | :");
        EXPECT_FALSE(f.RemoveSelect.Enabled());
        EXPECT_FALSE(f.ConditionDel.Enabled());
    });
}

TEST_F(WizardTest, FieldsLeftAtAnyValueAreGoneWhenBackLeavesThePageOrTheStylePage) {
    Run(MakeReport(), [](frmWizard& f) {
        ToPage5(f);
        AddField(f, "Orders", "Amount");
        AddField(f, "Orders", "Quantity");
        f.ConditionCombo.UserSelect(7);
        TypeValue(f.ConditionTextCombo, "3");
        AddField(f, "Orders", "Shipped");
        f.cmdBack.UserClick();
        f.cmdNext.UserClick();
        EXPECT_EQ(Page5(f), "*Orders.Quantity:7 | op7/11 text'3' | 1:3");
        // Next keeps a field at "is any value"; Back from the style page drops it.
        AddField(f, "Orders", "Rate");
        f.cmdNext.UserClick();
        ASSERT_EQ(Wizard::State().CurrentPage, 6);
        EXPECT_EQ(f.SelectList.ListCount(), 2);
        f.cmdBack.UserClick();
        EXPECT_EQ(Page5(f), "*Orders.Quantity:7 | op7/11 text'3' | 1:3");
        EXPECT_EQ(f.DefaultButton(), &f.cmdNext);
    });
}

TEST_F(WizardTest, BackFromTheLastPagesLeavesEnterToAListValueNotToFinish) {
    // Reaching the last page makes Finish the default button; a list operator on return
    // used to leave it so, and Enter meant to add a value finished the report.
    Run(MakeReport(), [](frmWizard& f) {
        ToPage5(f);
        AddField(f, "Customer", "Country");
        f.ConditionCombo.UserSelect(3);
        Enter(f, "France");
        f.cmdNext.UserClick();
        f.cmdNext.UserClick();
        ASSERT_EQ(f.DefaultButton(), &f.FinishCmd);
        f.cmdBack.UserClick();
        f.cmdBack.UserClick();
        ASSERT_EQ(Wizard::State().CurrentPage, 5);
        Enter(f, "Spain");
        EXPECT_TRUE(f.Loaded());
        EXPECT_EQ(Page5(f),
                  "*Customer.Country:3 | op3/15 text'' [France,Spain]#1 del+ | 2:France,Spain");
    });
}

TEST_F(WizardTest, BadValuesKeepThePersonOnThePageAndTheReportsFormulaAsItWas) {
    ScopedLocale english("en_US.UTF-8");
    const auto report = MakeReport();
    report->SetSelectionFormulaText("{Orders.Quantity} > 1");
    Run(report, [&](frmWizard& f) {
        ToPage5(f);
        AddField(f, "Customer", "Since");
        f.ConditionCombo.UserSelect(5);
        TypeValue(f.ConditionTextCombo, "tomorrow");
        backend->QueueAnswer(forms::vbOK);
        f.cmdNext.UserClick();
        TypeValue(f.ConditionTextCombo, "Dec 31, 1996");
        AddField(f, "Orders", "Amount");
        f.ConditionCombo.UserSelect(7);
        TypeValue(f.ConditionTextCombo, "1 or true");
        backend->QueueAnswer(forms::vbOK);
        f.cmdBack.UserClick();
        EXPECT_EQ(Wizard::State().CurrentPage, 5);
        EXPECT_EQ(report->GetSelectionFormulaText(), "{Orders.Quantity} > 1");
        // Corrected values let the person go on; the formula is written only at Finish.
        TypeValue(f.ConditionTextCombo, "1,000.5");
        f.cmdNext.UserClick();
        EXPECT_EQ(Wizard::State().CurrentPage, 6);
        EXPECT_EQ(report->GetSelectionFormulaText(), "{Orders.Quantity} > 1");
        EXPECT_EQ(generate::BuildSelectionFormula(Wizard::FilteredFields(), *report),
                  "{Customer.Since} < Date(1996, 12, 31) and {Orders.Amount} > 1000.5");
    });
    const auto& boxes = backend->Boxes();
    ASSERT_EQ(boxes.size(), 2U);
    EXPECT_EQ(boxes[0].request.text, resources::LoadResString(272));
    EXPECT_EQ(boxes[1].request.text, "The value \"1 or true\" of Orders.Amount is not a number.");
    for (const auto& box : boxes) {
        EXPECT_EQ(box.request.title, resources::LoadResString(131));
        EXPECT_EQ(box.request.buttons, forms::vbOKOnly);
    }
}

} // namespace
} // namespace foliant::wizard::test
