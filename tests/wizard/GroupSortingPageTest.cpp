// The group-sorting page: each group's kind of sorting, its sort summary, N with the others
// label, or the direction; and the settings travelling with their group.
#include "GroupPagesSupport.h"

#include "platform/forms/UserActions.h"
#include "resources/Resources.h"

namespace foliant::wizard::test {
namespace {

using forms::user::Select;
using resources::LoadResString;

// The page as "Customer.Country [Customer.Country:1|Orders.Id:3] Sort All Groups by
// Orders.Amount [Orders.Amount|Orders.Quantity] | order asc": the chosen group, the groups
// listed with their numbers, the kind, the sort field chosen and those offered, then what the
// kind's layout shows: the direction ("order asc" or "order desc"), or N and the others box
// ("N '5' others 'Others'", or "N '5' no others" with the label box hidden).
std::string Page4(const frmWizard& f) {
    const auto selected = [](const forms::ComboBox& combo) {
        return combo.ListIndex() < 0 ? std::string("none") : combo.List(combo.ListIndex());
    };
    std::string out = selected(f.TopNGroupCombo) + " [";
    for (int i = 0; i < f.TopNGroupCombo.ListCount(); ++i) {
        out += (i == 0 ? "" : "|") + f.TopNGroupCombo.List(i) + ":" +
               std::to_string(f.TopNGroupCombo.ItemData(i));
    }
    out += "] " + selected(f.TopNSortCombo) + " by " + selected(f.TopNTotalCombo) + " [";
    for (int i = 0; i < f.TopNTotalCombo.ListCount(); ++i) {
        out += (i == 0 ? "" : "|") + f.TopNTotalCombo.List(i);
    }
    out += "] | ";
    const bool order = f.TopNTotalADFrame.Visible() && f.TopNAscendingOption.Visible() &&
                       f.TopNDescendingOption.Visible();
    const bool n =
        f.TopNText.Visible() && f.TopNWhereNIsLabel.Visible() && f.TopNIncludeOthersCheck.Visible();
    if (order == n) {
        return out + "layout shows " + (order ? "both" : "neither");
    }
    if (order) {
        return out + "order " + (f.TopNAscendingOption.Value() ? "asc" : "desc");
    }
    out += "N '" + f.TopNText.Text() + "' ";
    const bool checked = f.TopNIncludeOthersCheck.Value() == 1;
    if (checked != f.TopNOthersText.Visible()) {
        return out + "others box and label disagree";
    }
    return out + (checked ? "others '" + f.TopNOthersText.Text() + "'" : "no others");
}

// From the summaries page of a wizard over ThreeGroups to the sorting page.
void ToSorting(frmWizard& f) {
    f.cmdNext.UserClick();
    f.cmdNext.UserClick();
    f.cmdNext.UserClick();
    ASSERT_EQ(Wizard::State().CurrentPage, 4);
}

void AddTotalOf(frmWizard& f, const std::string& table, const std::string& field) {
    ClickField(f, table, field);
    f.AddTotal.UserClick();
}

TEST_F(WizardTest, OnlyGroupsWithSummariesAreListedAndShowingOneChoosesItsFirstSummary) {
    Run(MakeReport(), [](frmWizard& f) {
        f.cmdNext.UserClick();
        for (const char* field : {"Country", "Name", "Since"}) {
            ClickField(f, "Customer", field);
            f.AddGroup.UserClick();
        }
        f.cmdNext.UserClick();
        AddTotalOf(f, "Orders", "Amount");
        AddTotalOf(f, "Orders", "Quantity");
        Select(f.GroupCombo, 2);
        AddTotalOf(f, "Orders", "Rate");
        f.cmdNext.UserClick();
        ExpectParallel(f);
        EXPECT_EQ(Page4(f), "Customer.Country [Customer.Country:1|Customer.Since:3] Sort All "
                            "Groups by Orders.Amount [Orders.Amount|Orders.Quantity] | order asc");
        EXPECT_EQ(Groups(), "2 2 -1 'Orders.Amount' Others | 0 2 -1 '' Others | 1 2 -1 '' Others");
        Select(f.TopNGroupCombo, 1);
        EXPECT_EQ(Page4(f), "Customer.Since [Customer.Country:1|Customer.Since:3] Sort All "
                            "Groups by Orders.Rate [Orders.Rate] | order asc");
        EXPECT_EQ(Groups(),
                  "2 2 -1 'Orders.Amount' Others | 0 2 -1 '' Others | 1 2 -1 'Orders.Rate' Others");
        // Coming back from the selection page shows the first group again.
        f.cmdNext.UserClick();
        ASSERT_EQ(Wizard::State().CurrentPage, 5);
        f.cmdBack.UserClick();
        EXPECT_EQ(Page4(f), "Customer.Country [Customer.Country:1|Customer.Since:3] Sort All "
                            "Groups by Orders.Amount [Orders.Amount|Orders.Quantity] | order asc");
        ExpectParallel(f);
    });
}

TEST_F(WizardTest, ChangingTheKindStartsItFromItsDefaults) {
    Run(ThreeGroups(MakeReport()), [](frmWizard& f) {
        ToSorting(f);
        Select(f.TopNGroupCombo, 1);
        const std::string name = "Customer.Name [Customer.Country:1|Customer.Name:2|Orders.Id:3] ";
        EXPECT_EQ(Page4(f), name + "Sort All Groups by Orders.Quantity [Orders.Quantity] | "
                                   "order asc");
        f.TopNDescendingOption.UserClick();
        EXPECT_EQ(Groups(), "2 0 3 'Orders.Amount' Others | 1 2 0 'Orders.Quantity' Others | "
                            "1 2 -1 '' Others");
        Select(f.TopNSortCombo, 0);
        ExpectParallel(f);
        EXPECT_EQ(Page4(f), name + "Sort the Top N Groups by Orders.Quantity [Orders.Quantity] | "
                                   "N '5' others 'Others'");
        EXPECT_EQ(Groups(), "2 0 3 'Orders.Amount' Others | 1 0 5 'Orders.Quantity' Others | "
                            "1 2 -1 '' Others");
        f.TopNIncludeOthersCheck.UserCheck();
        Select(f.TopNSortCombo, 1);
        EXPECT_EQ(Page4(f), name + "Sort the Bottom N Groups by Orders.Quantity [Orders.Quantity] "
                                   "| N '5' others 'Others'");
        EXPECT_EQ(Wizard::State().GroupOthersLabel(2), "Others");
        // Back to Sort All: ascending again, shown so.
        Select(f.TopNSortCombo, 2);
        EXPECT_EQ(Page4(f), name + "Sort All Groups by Orders.Quantity [Orders.Quantity] | "
                                   "order asc");
        EXPECT_EQ(Groups(), "2 0 3 'Orders.Amount' Others | 1 2 -1 'Orders.Quantity' Others | "
                            "1 2 -1 '' Others");
        ExpectParallel(f);
    });
}

TEST_F(WizardTest, TheNBoxTakesWholeNumbersFrom1To100AndAClearedBoxKeepsN) {
    Run(ThreeGroups(MakeReport()), [this](frmWizard& f) {
        ToSorting(f);
        const auto n = [] { return Wizard::State().GroupSortValue(1); };
        EXPECT_EQ(f.TopNText.Text(), "3");
        backend->QueueAnswer(forms::vbOK);
        forms::user::Paste(f.TopNText, "0");
        EXPECT_EQ(f.TopNText.Text(), "3");
        backend->QueueAnswer(forms::vbOK);
        forms::user::Paste(f.TopNText, "101");
        EXPECT_EQ(f.TopNText.Text(), "3");
        forms::user::Paste(f.TopNText, "100");
        EXPECT_EQ(n(), 100);
        forms::user::Clear(f.TopNText);
        EXPECT_EQ(f.TopNText.Text(), "");
        EXPECT_EQ(n(), 100);
        // Typed: a letter is refused with a message and leaves nothing to store.
        forms::user::Type(f.TopNText, "7");
        EXPECT_EQ(n(), 7);
        backend->QueueAnswer(forms::vbOK);
        forms::user::Type(f.TopNText, "x");
        EXPECT_EQ(f.TopNText.Text(), "");
        EXPECT_EQ(n(), 7);
        forms::user::Paste(f.TopNText, "1 2 3");
        EXPECT_EQ(f.TopNText.Text(), "12");
        EXPECT_EQ(f.TopNText.SelStart(), 1);
        EXPECT_EQ(n(), 12);
        ExpectParallel(f);
    });
    const std::vector<int> expected{317, 317, 160};
    ASSERT_EQ(backend->Boxes().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto& box = backend->Boxes()[i].request;
        EXPECT_EQ(box.text, LoadResString(expected[i])) << "box " << i;
        EXPECT_EQ(box.title, LoadResString(128));
        EXPECT_EQ(box.icon, forms::vbInformation);
    }
}

TEST_F(WizardTest, TheOthersBoxGivesOthersBackWhateverWasTyped) {
    Run(ThreeGroups(MakeReport()), [](frmWizard& f) {
        ToSorting(f);
        const auto label = [] { return Wizard::State().GroupOthersLabel(1); };
        forms::user::Type(f.TopNOthersText, "Rest");
        EXPECT_EQ(label(), "Rest");
        f.TopNIncludeOthersCheck.UserCheck();
        EXPECT_EQ(label(), "");
        EXPECT_THROW(forms::user::Type(f.TopNOthersText, "x"), forms::UserActionRefused);
        f.TopNIncludeOthersCheck.UserCheck();
        EXPECT_EQ(label(), "Others");
        EXPECT_EQ(f.TopNOthersText.Text(), "Others");
        // An emptied label drops the others too; the box stays checked meanwhile.
        forms::user::Clear(f.TopNOthersText);
        EXPECT_EQ(label(), "");
        EXPECT_EQ(f.TopNIncludeOthersCheck.Value(), 1);
        ExpectParallel(f);
    });
}

TEST_F(WizardTest, EachGroupShowsItsOwnSortingAndShowingChangesNothing) {
    Run(ThreeGroups(MakeReport()), [](frmWizard& f) {
        ToSorting(f);
        const std::string list = " [Customer.Country:1|Customer.Name:2|Orders.Id:3] ";
        EXPECT_EQ(Page4(f), "Customer.Country" + list +
                                "Sort the Top N Groups by Orders.Amount [Orders.Amount|"
                                "Orders.Amount] | N '3' others 'Others'");
        forms::user::Type(f.TopNOthersText, "Rest");
        Select(f.TopNGroupCombo, 2);
        f.TopNDescendingOption.UserClick();
        Select(f.TopNGroupCombo, 1);
        Select(f.TopNSortCombo, 1);
        f.TopNIncludeOthersCheck.UserCheck();
        const std::string stored =
            "2 0 3 'Orders.Amount' Rest | 1 1 5 'Orders.Quantity'  | 1 2 0 'Orders.Id' Others";
        EXPECT_EQ(Groups(), stored);
        Select(f.TopNGroupCombo, 0);
        EXPECT_EQ(Page4(f), "Customer.Country" + list +
                                "Sort the Top N Groups by Orders.Amount [Orders.Amount|"
                                "Orders.Amount] | N '3' others 'Rest'");
        Select(f.TopNGroupCombo, 2);
        EXPECT_EQ(Page4(f),
                  "Orders.Id" + list + "Sort All Groups by Orders.Id [Orders.Id] | order desc");
        Select(f.TopNGroupCombo, 1);
        EXPECT_EQ(Page4(f), "Customer.Name" + list +
                                "Sort the Bottom N Groups by Orders.Quantity [Orders.Quantity] | "
                                "N '5' no others");
        EXPECT_EQ(Groups(), stored);
        ExpectParallel(f);
    });
}

TEST_F(WizardTest, AnotherSortSummaryKeepsTheGroupsNAndLabel) {
    const auto report = ThreeGroups(MakeReport());
    PlaceSummary(*report, "GF1", "{Orders.Quantity}", 0);
    Run(report, [](frmWizard& f) {
        ToSorting(f);
        forms::user::Paste(f.TopNText, "8");
        Select(f.TopNTotalCombo, "Orders.Quantity");
        EXPECT_EQ(Page4(f), "Customer.Country [Customer.Country:1|Customer.Name:2|Orders.Id:3] "
                            "Sort the Top N Groups by Orders.Quantity [Orders.Amount|"
                            "Orders.Amount|Orders.Quantity] | N '8' others 'Others'");
        EXPECT_EQ(Wizard::State().GroupSortField(1), "Orders.Quantity");
        EXPECT_EQ(Wizard::State().GroupSortValue(1), 8);
        ExpectParallel(f);
    });
}

TEST_F(WizardTest, SortingSettingsMoveWithTheirGroupAndGoWithItsSortSummary) {
    Run(ThreeGroups(MakeReport()), [](frmWizard& f) {
        ToSorting(f);
        Select(f.TopNGroupCombo, 1);
        Select(f.TopNSortCombo, 1);
        forms::user::Paste(f.TopNText, "4");
        forms::user::Type(f.TopNOthersText, "Everyone else");
        // Group 2 becomes group 1 and takes its Bottom 4 along.
        f.cmdBack.UserClick();
        f.cmdBack.UserClick();
        ClickGroup(f, 2);
        f.cmdGroupUp.UserClick();
        ExpectParallel(f);
        f.cmdNext.UserClick();
        f.cmdNext.UserClick();
        const std::string list = " [Customer.Name:1|Customer.Country:2|Orders.Id:3] ";
        EXPECT_EQ(Page4(f), "Customer.Name" + list +
                                "Sort the Bottom N Groups by Orders.Quantity [Orders.Quantity] | "
                                "N '4' others 'Everyone else'");
        // Its sort summary removed, the group sorts all ascending again and, without
        // summaries, is no longer offered here.
        f.cmdBack.UserClick();
        f.RemoveTotal.UserClick();
        EXPECT_EQ(Groups(), "0 2 -1 '' Others | 2 0 3 'Orders.Amount' Others | "
                            "1 2 -1 '' Others");
        f.cmdNext.UserClick();
        EXPECT_EQ(Page4(f), "Customer.Country [Customer.Country:2|Orders.Id:3] Sort the Top N "
                            "Groups by Orders.Amount [Orders.Amount|Orders.Amount] | N '3' "
                            "others 'Others'");
        // A removed group takes its settings with it.
        f.cmdBack.UserClick();
        f.cmdBack.UserClick();
        ClickGroup(f, 2);
        f.RemoveGroup.UserClick();
        f.cmdNext.UserClick();
        f.cmdNext.UserClick();
        EXPECT_EQ(Page4(f), "Orders.Id [Orders.Id:2] Sort All Groups by Orders.Id [Orders.Id] | "
                            "order asc");
        EXPECT_EQ(Groups(), "0 2 -1 '' Others | 1 2 -1 'Orders.Id' Others");
        ExpectParallel(f);
    });
}

} // namespace
} // namespace foliant::wizard::test
