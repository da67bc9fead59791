// What runs a handler: code that sets a selection runs Click when the index changes; code that
// sets texts, values and the tree's selection runs nothing; user actions run what a person's
// action runs and are refused on controls a person could not reach.
#include "TestForm.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace foliant::forms {
namespace {

using ::testing::ElementsAre;
using testing::HeadlessScope;
using ::testing::IsEmpty;
using testing::TestForm;

class EventRules : public ::testing::Test {
protected:
    void SetUp() override {
        form.list.AddItem("Alpha");
        form.list.AddItem("Beta");
        form.list.AddItem("Gamma");
        form.combo.AddItem("One");
        form.combo.AddItem("Two");
        form.dropList.AddItem("Red");
        form.dropList.AddItem("Blue");
        form.Show();
        form.TakeLog();
    }
    HeadlessScope scope;
    TestForm form;
};

TEST_F(EventRules, SettingListIndexRunsClickExactlyWhenTheIndexChanges) {
    form.list.SetListIndex(1);
    form.list.SetListIndex(1); // unchanged: nothing runs
    form.list.SetListIndex(-1);
    form.list.SetListIndex(-1);
    form.list.SetSelected(2, true);
    form.list.SetSelected(2, true);
    form.list.SetSelected(0, false); // not the selected item: nothing
    form.list.SetSelected(2, false);
    EXPECT_THAT(form.TakeLog(),
                ElementsAre("list.Click#1", "list.Click#-1", "list.Click#2", "list.Click#-1"));
}

TEST_F(EventRules, ComboSelectionRunsClickAndShowsTheItemWithoutChange) {
    form.combo.SetListIndex(1);
    EXPECT_EQ(form.combo.Text(), "Two");
    form.combo.SetListIndex(-1);
    EXPECT_EQ(form.combo.Text(), "");
    form.dropList.SetListIndex(1);
    EXPECT_EQ(form.dropList.Text(), "Blue");
    EXPECT_THAT(form.TakeLog(), ElementsAre("combo.Click#1", "combo.Click#-1", "dropList.Click#1"));
}

TEST_F(EventRules, SettingTextsValuesAndTheSelectedNodeRunsNothing) {
    Node& root = form.tree.Nodes().Add("Root");
    form.text.SetText("hello");
    form.combo.SetText("free text");
    form.dropList.SetText("Red"); // selects the item quietly
    form.check.SetValue(1);
    form.down.SetValue(true);
    form.loose.SetValue(true);
    form.tree.SetSelectedItem(&root);
    EXPECT_THAT(form.TakeLog(), IsEmpty());
    EXPECT_EQ(form.dropList.ListIndex(), 0);
    EXPECT_EQ(form.combo.Text(), "free text");
    EXPECT_EQ(form.tree.SelectedItem(), &root);
    EXPECT_THROW(form.dropList.SetText("Green"), FormsError);
}

TEST_F(EventRules, OptionButtonsAreExclusiveWithinTheirContainerOnly) {
    form.loose.SetValue(true);
    form.down.SetValue(true);
    EXPECT_FALSE(form.up.Value());
    EXPECT_TRUE(form.down.Value());
    EXPECT_TRUE(form.loose.Value()); // on the form, not in the frame
    form.up.UserClick();
    EXPECT_TRUE(form.up.Value());
    EXPECT_FALSE(form.down.Value());
    EXPECT_THAT(form.TakeLog(), ElementsAre("up.Click"));
}

TEST_F(EventRules, UserActionsRunHandlersAsAPersonWould) {
    form.cmdOK.UserClick();
    form.check.UserCheck();
    form.check.UserCheck();
    form.list.UserSelect(2);
    form.list.UserSelect(2); // the selected row again: the index does not change
    form.list.UserDblClick();
    form.combo.UserSelect(0);
    EXPECT_THAT(form.TakeLog(), ElementsAre("cmdOK.Click", "check.Click=1", "check.Click=0",
                                            "list.Click#2", "list.DblClick", "combo.Click#0"));
    EXPECT_EQ(form.ActiveControl(), &form.combo);
}

TEST_F(EventRules, UserActionsAreRefusedOnHiddenOrDisabledControls) {
    form.cmdOK.SetEnabled(false);
    EXPECT_THROW(form.cmdOK.UserClick(), UserActionRefused);
    form.list.SetVisible(false);
    EXPECT_THROW(form.list.UserSelect(0), UserActionRefused);
    EXPECT_EQ(form.list.ListIndex(), -1);
    // A control inside a hidden or disabled frame is out of reach too.
    form.orderFrame.SetVisible(false);
    EXPECT_THROW(form.down.UserClick(), UserActionRefused);
    form.orderFrame.SetVisible(true);
    form.orderFrame.SetEnabled(false);
    EXPECT_THROW(form.down.UserClick(), UserActionRefused);
    EXPECT_FALSE(form.down.Value());
    // An item that is not there, typing into a drop-down list, a form not shown.
    EXPECT_THROW(form.combo.UserSelect(5), UserActionRefused);
    EXPECT_THROW(form.dropList.UserType("x"), UserActionRefused);
    form.Hide();
    EXPECT_THROW(form.text.UserType("x"), UserActionRefused);
    EXPECT_THAT(form.TakeLog(), IsEmpty());
}

TEST_F(EventRules, TypingRunsKeyPressThenChangePerCharacter) {
    form.text.SetText("old");
    form.text.UserSetSelection(0, 3);
    form.text.UserType("ab");
    EXPECT_EQ(form.text.Text(), "ab");
    EXPECT_EQ(form.text.SelStart(), 2);
    EXPECT_THAT(form.TakeLog(), ElementsAre("text.KeyPress 97", "text.Change=a", "text.KeyPress 98",
                                            "text.Change=ab"));
}

TEST_F(EventRules, KeyPressMayReplaceOrCancelTheCharacter) {
    // Like an integer field: a letter becomes a blank, a '#' is swallowed.
    form.text.KeyPress = [this](int& key) {
        if (key == '#') {
            key = 0;
        } else if (key != 8 && (key < '0' || key > '9')) {
            key = ' ';
        }
        form.Log("KeyPress");
    };
    form.text.UserType("1x#2");
    EXPECT_EQ(form.text.Text(), "1 2");
    EXPECT_THAT(form.TakeLog(),
                ElementsAre("KeyPress", "text.Change=1", "KeyPress", "text.Change=1 ", "KeyPress",
                            "KeyPress", "text.Change=1 2"));
    form.text.UserType("\b"); // Backspace goes through KeyPress as 8
    EXPECT_EQ(form.text.Text(), "1 ");
}

TEST_F(EventRules, TypingAtTheCaretAndInTheMiddleOfMultibyteText) {
    form.text.SetText("Müller");
    form.text.UserSetSelection(2, 0);
    form.text.UserType("X");
    EXPECT_EQ(form.text.Text(), "MüXller");
    form.text.UserSetSelection(form.text.Length(), 0);
    form.text.UserType("\b\b");
    EXPECT_EQ(form.text.Text(), "MüXll");
}

TEST_F(EventRules, PasteAndDeleteRunOneChange) {
    form.text.SetText("12");
    form.text.UserSetSelection(0, 2);
    form.text.UserPaste("1 2");
    EXPECT_EQ(form.text.Text(), "1 2");
    form.text.UserSetSelection(0, 99);
    form.text.UserDelete();
    EXPECT_EQ(form.text.Text(), "");
    form.text.UserDelete(); // nothing left to delete: no Change
    EXPECT_THAT(form.TakeLog(), ElementsAre("text.Change=1 2", "text.Change="));
}

TEST_F(EventRules, TypingIntoAComboEditFieldDropsItsSelectionWithoutClick) {
    form.combo.SetListIndex(0);
    form.TakeLog();
    form.combo.UserSetSelection(0, 3);
    form.combo.UserType("Z");
    EXPECT_EQ(form.combo.ListIndex(), -1);
    EXPECT_THAT(form.TakeLog(), ElementsAre("combo.Change=Z"));
}

TEST_F(EventRules, EnterAndEscPressTheDefaultAndCancelButtons) {
    form.text.UserKeyDown(kKeyReturn);
    form.text.UserKeyDown(kKeyEscape);
    form.text.UserKeyDown(65);
    EXPECT_THAT(form.TakeLog(), ElementsAre("cmdOK.Click", "cmdCancel.Click", "text.KeyDown 65"));

    // A disabled default button swallows Enter; the focused control still gets nothing.
    form.cmdOK.SetEnabled(false);
    form.text.UserKeyDown(kKeyReturn);
    EXPECT_THAT(form.TakeLog(), IsEmpty());

    // Without a default button the focused control receives the key.
    form.cmdOK.SetDefault(false);
    EXPECT_EQ(form.DefaultButton(), nullptr);
    form.text.UserKeyDown(kKeyReturn);
    form.cmdCancel.SetCancel(false);
    form.text.UserKeyDown(kKeyEscape);
    EXPECT_THAT(form.TakeLog(), ElementsAre("text.KeyDown 13", "text.KeyDown 27"));
}

TEST_F(EventRules, ClickingANodeSelectsItThenRunsNodeClickThenClick) {
    Node& root = form.tree.Nodes().Add("Root");
    Node& child = form.tree.Nodes().Add(&root, Relationship::Child, "", "Child");
    form.tree.NodeClick = [this](Node& node) {
        form.Log("NodeClick " + node.Text() + " selected=" + form.tree.SelectedItem()->Text());
    };
    form.tree.UserClickNode(child);
    form.tree.UserClickNode(child); // a person may click the selected node again
    form.tree.UserDblClick();
    EXPECT_THAT(form.TakeLog(),
                ElementsAre("NodeClick Child selected=Child", "tree.Click",
                            "NodeClick Child selected=Child", "tree.Click", "tree.DblClick"));
}

TEST_F(EventRules, FocusGoesOnlyToControlsThatCanTakeIt) {
    EXPECT_TRUE(form.list.SetFocus());
    EXPECT_EQ(form.ActiveControl(), &form.list);
    EXPECT_FALSE(form.caption.SetFocus());
    form.text.SetEnabled(false);
    EXPECT_FALSE(form.text.SetFocus());
    EXPECT_EQ(form.ActiveControl(), &form.list);
}

TEST_F(EventRules, ListItemChangesKeepTheSelectedItemAndRunNothing) {
    form.list.SetListIndex(1);
    form.TakeLog();
    form.list.AddItem("First", 0);
    EXPECT_EQ(form.list.ListIndex(), 2);
    EXPECT_EQ(form.list.NewIndex(), 0);
    form.list.RemoveItem(0);
    EXPECT_EQ(form.list.ListIndex(), 1);
    form.list.RemoveItem(1); // the selected item
    EXPECT_EQ(form.list.ListIndex(), -1);
    form.list.SetItemData(0, 42);
    EXPECT_EQ(form.list.ItemData(0), 42);
    form.list.Clear();
    EXPECT_EQ(form.list.ListCount(), 0);
    EXPECT_THAT(form.TakeLog(), IsEmpty());
    EXPECT_THROW(form.list.SetListIndex(0), FormsError);
    EXPECT_THROW(form.list.List(0), FormsError);
    try {
        form.list.SetListIndex(3);
    } catch (const FormsError& e) {
        EXPECT_EQ(e.Number(), kInvalidPropertyValue);
    }
}

TEST_F(EventRules, ChangesAreAnnouncedOnceAndOnlyWhenSomethingChanged) {
    std::vector<ChangeEvent::What> seen;
    const auto id = form.Subscribe([&](const ChangeEvent& e) {
        if (e.control == &form.cmdOK || e.control == &form.list) {
            seen.push_back(e.what);
        }
    });
    form.cmdOK.SetVisible(false);
    form.cmdOK.SetVisible(false);
    form.cmdOK.SetCaption("&OK");
    form.list.SetListIndex(0);
    form.list.SetListIndex(0);
    form.Unsubscribe(id);
    form.cmdOK.SetVisible(true);
    using W = ChangeEvent::What;
    EXPECT_THAT(seen, ElementsAre(W::Visible, W::Caption, W::ListIndex));
}

} // namespace
} // namespace foliant::forms
