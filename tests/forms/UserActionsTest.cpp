// Script-level actions: addressed by what a control shows, composed of the controls' own
// user actions.
#include "TestForm.h"

#include "platform/forms/UserActions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace foliant::forms {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class UserActions : public ::testing::Test {
protected:
    void SetUp() override {
        form.combo.AddItem("One");
        form.combo.AddItem("Two");
        Node& root = form.tree.Nodes().Add("Root");
        form.tree.Nodes().Add(&root, Relationship::Child, "", "Leaf");
        form.Show();
    }
    testing::HeadlessScope scope;
    testing::TestForm form;
};

TEST_F(UserActions, TypeReplacesAppendExtendsPasteAndClearRunOneChange) {
    form.text.SetText("old");
    user::Type(form.text, "ab");
    user::Append(form.text, "c");
    EXPECT_EQ(form.text.Text(), "abc");
    form.TakeLog();
    user::Paste(form.text, "1 2");
    user::Clear(form.text);
    user::Clear(form.text); // already empty: nothing to delete
    EXPECT_THAT(form.TakeLog(), ElementsAre("text.Change=1 2", "text.Change="));
    user::Type(form.combo, "Tw");
    EXPECT_EQ(form.combo.Text(), "Tw");
}

TEST_F(UserActions, SelectAndClickNodeFindEntriesByIndexOrText) {
    user::Select(form.combo, "Two");
    user::Select(form.combo, 0);
    user::ClickNode(form.tree, "Leaf");
    user::ClickNode(form.tree, 1);
    EXPECT_THAT(form.TakeLog(), ElementsAre("combo.Click#1", "combo.Click#0", "tree.NodeClick Leaf",
                                            "tree.Click", "tree.NodeClick Root", "tree.Click"));
}

TEST_F(UserActions, ActionsOnTheWrongKindOrAMissingEntryAreRefused) {
    EXPECT_THROW(user::Type(form.list, "x"), UserActionRefused);
    EXPECT_THROW(user::Select(form.text, 0), UserActionRefused);
    EXPECT_THROW(user::Select(form.combo, "Three"), UserActionRefused);
    EXPECT_THROW(user::ClickNode(form.tree, 3), UserActionRefused);
    EXPECT_THROW(user::ClickNode(form.tree, "Branch"), UserActionRefused);
    EXPECT_THROW(user::ClickNode(form.combo, 1), UserActionRefused);
    form.tree.SetEnabled(false);
    EXPECT_THROW(user::ClickNode(form.tree, "Leaf"), UserActionRefused);
    EXPECT_THAT(form.TakeLog(), IsEmpty());
}

} // namespace
} // namespace foliant::forms
