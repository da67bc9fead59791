// The grouping page: the group chain, each group's record order, and the arrays that travel
// with a group when it is added, moved or removed.
#include "GroupPagesSupport.h"

#include "platform/forms/FormsError.h"
#include "platform/forms/UserActions.h"

namespace foliant::wizard::test {
namespace {

using forms::user::ClickNode;

// The page's controls: "+" enabled or "-" for AddGroup RemoveGroup cmdGroupUp CmdGroupDown
// SortOrder OrderCombo, then OrderCombo's index.
std::string Page2(const frmWizard& f) {
    std::string out;
    for (const forms::Control* c : std::initializer_list<const forms::Control*>{
             &f.AddGroup, &f.RemoveGroup, &f.cmdGroupUp, &f.CmdGroupDown, &f.SortOrder,
             &f.OrderCombo}) {
        out += c->Enabled() ? '+' : '-';
    }
    return out + " #" + std::to_string(f.OrderCombo.ListIndex());
}

TEST_F(WizardTest, AddingGroupsAppendsToTheChainAndSkipsAFieldAlreadyGrouped) {
    Run(MakeReport(), [](frmWizard& f) {
        f.cmdNext.UserClick();
        EXPECT_EQ(Chain(f), " @-");
        EXPECT_EQ(Page2(f), "+----- #0");
        ClickField(f, "Customer", "Country");
        f.AddGroup.UserClick();
        ExpectParallel(f);
        EXPECT_EQ(Chain(f), "Customer.Country:0 @1");
        EXPECT_EQ(Groups(), "0 2 -1 '' Others");
        // One group has nowhere to move.
        EXPECT_EQ(Page2(f), "++--++ #0");
        EXPECT_EQ(f.DatabaseTreeView.SelectedItem()->Text(), "Since");
        EXPECT_EQ(f.ActiveControl(), &f.DatabaseTreeView);

        // The same field again adds nothing, but the tree still moves on.
        ClickField(f, "Customer", "Country");
        f.AddGroup.UserClick();
        ExpectParallel(f);
        EXPECT_EQ(Chain(f), "Customer.Country:0 @1");
        EXPECT_EQ(f.DatabaseTreeView.SelectedItem()->Text(), "Since");

        // A table's last field: the table node is selected and AddGroup goes off.
        f.AddGroup.UserClick();
        ExpectParallel(f);
        EXPECT_EQ(Chain(f), "Customer.Country:0>Customer.Since:0 @2");
        EXPECT_EQ(f.DatabaseTreeView.SelectedItem()->Text(), "Customer");
        EXPECT_EQ(Page2(f), "-++-++ #0");
        EXPECT_THROW(f.AddGroup.UserClick(), forms::UserActionRefused);

        // A double click on a field node adds it as the innermost group.
        ClickField(f, "Orders", "Amount");
        f.DatabaseTreeView.UserDblClick();
        ExpectParallel(f);
        EXPECT_EQ(Chain(f), "Customer.Country:0>Customer.Since:0>Orders.Amount:0 @3");
        EXPECT_EQ(Groups(), "0 2 -1 '' Others | 0 2 -1 '' Others | 0 2 -1 '' Others");

        // With groups, Next reaches the summaries page; Back comes to group 1.
        f.cmdNext.UserClick();
        EXPECT_EQ(Wizard::State().CurrentPage, 3);
        f.cmdBack.UserClick();
        EXPECT_EQ(Wizard::State().CurrentPage, 2);
        EXPECT_EQ(Chain(f), "Customer.Country:0>Customer.Since:0>Orders.Amount:0 @1");
    });
}

TEST_F(WizardTest, MoveButtonsAndTheOrderFollowTheSelectedGroup) {
    Run(ThreeGroups(MakeReport()), [](frmWizard& f) {
        f.cmdNext.UserClick();
        // Page entry selects group 1 and leaves the enabled states as they were.
        EXPECT_EQ(Chain(f), std::string(kThreeGroupsChain) + " @1");
        EXPECT_EQ(Page2(f), "+--+-- #0");
        ClickGroup(f, 1);
        EXPECT_EQ(Page2(f), "++-+++ #0");
        ClickGroup(f, 2);
        EXPECT_EQ(Page2(f), "++++++ #1");
        ClickGroup(f, 3);
        EXPECT_EQ(Page2(f), "+++-++ #0");

        // A person's choice of order is stored in the group's node.
        forms::user::Select(f.OrderCombo, 2);
        EXPECT_EQ(Chain(f), "Customer.Country:0>Customer.Name:1>Orders.Id:2 @3");

        // The root: nothing to remove, move or order; code showing an order stores nothing.
        ClickNode(f.GroupTreeView, 1);
        EXPECT_EQ(Page2(f), "+----- #2");
        EXPECT_THROW(forms::user::Select(f.OrderCombo, 0), forms::UserActionRefused);
        f.OrderCombo.SetListIndex(1);
        EXPECT_EQ(Chain(f), "Customer.Country:0>Customer.Name:1>Orders.Id:2 @0");

        // A click in the database tree takes the group's controls away too.
        ClickGroup(f, 2);
        ClickField(f, "Orders", "Rate");
        EXPECT_EQ(Page2(f), "+-++-- #1");
        ExpectParallel(f);
    });
}

TEST_F(WizardTest, MovingAGroupCarriesItsSummariesAndSortingAlong) {
    Run(ThreeGroups(MakeReport()), [](frmWizard& f) {
        f.cmdNext.UserClick();
        EXPECT_EQ(Groups(), kThreeGroupsArrays);
        EXPECT_EQ(Summaries(), kThreeGroupsSummaries);

        // Group 2 up, over group 1 with its two summaries and its Top 3.
        ClickGroup(f, 2);
        f.cmdGroupUp.UserClick();
        ExpectParallel(f);
        EXPECT_EQ(Chain(f), "Customer.Name:1>Customer.Country:0>Orders.Id:0 @1");
        EXPECT_EQ(Page2(f), "++-+++ #1");
        EXPECT_EQ(f.ActiveControl(), &f.GroupTreeView);
        EXPECT_EQ(Groups(), "1 2 -1 '' Others | 2 0 3 'Orders.Amount' Others | 1 2 -1 '' Others");
        EXPECT_EQ(Summaries(), "Orders.Quantity 15 '2' - | Orders.Amount 0 '' - | "
                               "Orders.Amount 4 '' - | Orders.Id 6 '' +");

        // Down again puts everything back as it was.
        f.CmdGroupDown.UserClick();
        ExpectParallel(f);
        EXPECT_EQ(Chain(f), std::string(kThreeGroupsChain) + " @2");
        EXPECT_EQ(Groups(), kThreeGroupsArrays);
        EXPECT_EQ(Summaries(), kThreeGroupsSummaries);

        // The middle group moves below the innermost; from there it cannot go further down.
        f.CmdGroupDown.UserClick();
        ExpectParallel(f);
        EXPECT_EQ(Chain(f), "Customer.Country:0>Orders.Id:0>Customer.Name:1 @3");
        EXPECT_THROW(f.CmdGroupDown.UserClick(), forms::UserActionRefused);
        EXPECT_EQ(Summaries(), "Orders.Amount 0 '' - | Orders.Amount 4 '' - | Orders.Id 6 '' + | "
                               "Orders.Quantity 15 '2' -");

        // The summaries page sees the groups in their new order with their own summaries.
        f.cmdNext.UserClick();
        EXPECT_EQ(forms::Brief(f.GroupCombo),
                  "GroupCombo VE #0 [Customer.Country|Orders.Id|Customer.Name]");
        forms::user::Select(f.GroupCombo, 2);
        EXPECT_EQ(forms::Brief(f.TotalList), "TotalList VE #0 [Orders.Quantity]");
        EXPECT_EQ(f.PIsText.Text(), "2");
        ExpectParallel(f);
    });
}

TEST_F(WizardTest, RemovingAGroupDropsItsSummariesAndSelectsTheInnermostGroupLeft) {
    Run(ThreeGroups(MakeReport()), [](frmWizard& f) {
        f.cmdNext.UserClick();
        // The middle group: the one below moves up, and the selection lands on it as the
        // innermost group, not because it took the removed one's place.
        ClickGroup(f, 2);
        f.RemoveGroup.UserClick();
        ExpectParallel(f);
        EXPECT_EQ(Chain(f), "Customer.Country:0>Orders.Id:0 @2");
        EXPECT_EQ(Page2(f), "+++-++ #0");
        EXPECT_EQ(Groups(), "2 0 3 'Orders.Amount' Others | 1 2 -1 '' Others");
        EXPECT_EQ(Summaries(), "Orders.Amount 0 '' - | Orders.Amount 4 '' - | Orders.Id 6 '' +");

        // Group 1 of two: the other becomes group 1 with its summary.
        ClickGroup(f, 1);
        f.RemoveGroup.UserClick();
        ExpectParallel(f);
        EXPECT_EQ(Chain(f), "Orders.Id:0 @1");
        EXPECT_EQ(Page2(f), "++--++ #0");
        EXPECT_EQ(Groups(), "1 2 -1 '' Others");
        EXPECT_EQ(Summaries(), "Orders.Id 6 '' +");

        // The only group: the root stays, the page's group controls go off.
        f.RemoveGroup.UserClick();
        ExpectParallel(f);
        EXPECT_EQ(Chain(f), " @-");
        EXPECT_EQ(Page2(f), "+----- #0");
        EXPECT_EQ(Summaries(), "");

        // Without groups, Next passes over the summaries and sorting pages.
        f.cmdNext.UserClick();
        EXPECT_EQ(Wizard::State().CurrentPage, 6);
        f.cmdBack.UserClick();
        EXPECT_EQ(Wizard::State().CurrentPage, 2);
    });
}

} // namespace
} // namespace foliant::wizard::test
