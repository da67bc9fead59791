// The node collection is 1-based in insertion order, while the tree order follows the
// relationships; removing a node takes its subtree and moves later indexes down.
#include "TestForm.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace foliant::forms {
namespace {

using ::testing::ElementsAre;

std::vector<std::string> Texts(const std::vector<Node*>& nodes) {
    std::vector<std::string> out;
    for (const Node* n : nodes) {
        out.push_back(n->Text());
    }
    return out;
}

class Tree : public ::testing::Test {
protected:
    testing::HeadlessScope scope;
    testing::TestForm form;
    Nodes& nodes = form.tree.Nodes();
};

TEST_F(Tree, IndexesFollowInsertionWhileTheTreeFollowsRelationships) {
    Node& root = nodes.Add("Database", "Database");
    Node& orders = nodes.Add(&root, Relationship::Child, "", "Orders", "DatabaseTable");
    Node& customers = nodes.Add(&orders, Relationship::Previous, "", "Customers");
    Node& amount = nodes.Add(&orders, Relationship::Child, "", "Amount");
    Node& first = nodes.Add(&customers, Relationship::First, "", "Aardvark");
    Node& last = nodes.Add(&customers, Relationship::Last, "", "Zebra");
    Node& next = nodes.Add(customers.Index(), Relationship::Next, "", "Dogs");

    EXPECT_EQ(nodes.Count(), 7);
    EXPECT_EQ(&nodes(1), &root);
    EXPECT_EQ(nodes(3).Text(), "Customers");
    EXPECT_EQ(next.Index(), 7);
    EXPECT_THAT(Texts(root.ChildNodes()),
                ElementsAre("Aardvark", "Customers", "Dogs", "Orders", "Zebra"));
    EXPECT_EQ(root.Child(), &first);
    EXPECT_EQ(customers.Next(), &next);
    EXPECT_EQ(last.Next(), nullptr);
    EXPECT_EQ(first.Previous(), nullptr);
    EXPECT_EQ(amount.Parent(), &orders);
    EXPECT_EQ(orders.Children(), 1);
    EXPECT_EQ(root.Parent(), nullptr);
    EXPECT_EQ(amount.FirstSibling(), &amount);
    amount.SetSelected(true);
    EXPECT_EQ(form.tree.SelectedItem(), &amount);
    first.SetSelected(false); // not the selected one: nothing changes
    EXPECT_TRUE(amount.Selected());
}

TEST_F(Tree, RemovingANodeTakesItsSubtreeAndShiftsLaterIndexes) {
    Node& root = nodes.Add("Groups");
    Node& g1 = nodes.Add(&root, Relationship::Child, "", "G1");
    Node& g2 = nodes.Add(&g1, Relationship::Child, "", "G2");
    nodes.Add(&g2, Relationship::Child, "", "G3");
    Node& other = nodes.Add("Other");
    form.tree.SetSelectedItem(&g2);

    nodes.Remove(g1.Index()); // G1, G2, G3 go
    EXPECT_EQ(nodes.Count(), 2);
    EXPECT_EQ(other.Index(), 2);
    EXPECT_EQ(root.Child(), nullptr);
    EXPECT_EQ(form.tree.SelectedItem(), nullptr); // the selected node went with them

    nodes.Remove(1);
    EXPECT_EQ(&nodes(1), &other);
    EXPECT_EQ(other.Index(), 1);
    nodes.Clear();
    EXPECT_EQ(nodes.Count(), 0);
}

TEST_F(Tree, BadIndexesKeysAndForeignNodesAreErrors) {
    Node& a = nodes.Add(nullptr, Relationship::Last, "a", "A");
    EXPECT_EQ(&nodes.Item("a"), &a);
    EXPECT_THROW(nodes.Add(nullptr, Relationship::Last, "a", "again"), FormsError);
    EXPECT_THROW(nodes.Item(0), FormsError);
    EXPECT_THROW(nodes.Item(2), FormsError);
    EXPECT_THROW(nodes.Item("b"), FormsError);

    testing::TestForm other;
    Node& foreign = other.tree.Nodes().Add("Foreign");
    EXPECT_THROW(form.tree.SetSelectedItem(&foreign), FormsError);
    EXPECT_THROW(nodes.Add(&foreign, Relationship::Child, "", "x"), FormsError);
    EXPECT_THROW(nodes.Remove(foreign), FormsError);
}

TEST_F(Tree, NodeChangesAreAnnouncedForTheFrontEnd) {
    std::vector<std::string> seen;
    form.Subscribe([&](const ChangeEvent& e) {
        using W = ChangeEvent::What;
        if (e.what == W::NodeAdded || e.what == W::NodeRemoving || e.what == W::NodeChanged ||
            e.what == W::SelectedNode) {
            seen.push_back(std::to_string(static_cast<int>(e.what)) + ":" +
                           (e.node != nullptr ? e.node->Text() : "-"));
        }
    });
    Node& root = nodes.Add("R");
    Node& child = nodes.Add(&root, Relationship::Child, "", "C");
    root.SetExpanded(true);
    root.SetExpanded(true);
    form.tree.SetSelectedItem(&child);
    nodes.Remove(root);
    using W = ChangeEvent::What;
    auto code = [](W w, const char* text) {
        return std::to_string(static_cast<int>(w)) + ":" + text;
    };
    EXPECT_THAT(seen, ElementsAre(code(W::NodeAdded, "R"), code(W::NodeAdded, "C"),
                                  code(W::NodeChanged, "R"), code(W::SelectedNode, "C"),
                                  code(W::NodeRemoving, "R"), code(W::SelectedNode, "-")));
}

} // namespace
} // namespace foliant::forms
