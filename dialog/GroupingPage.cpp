// Page 2: grouping. The groups are the chain of nodes below the root "Groups" of GroupTreeView,
// group 1 the outermost; each node's tag is its record order. The tree's node collection stays
// in chain order (a rebuilt part of the chain is appended before the old part is deleted), so a
// group node's index minus 1 is its group number, the index of its entries in the state arrays.
#include "dialog/frmWizard.h"
#include "wizard/GroupData.h"

#include <cstdlib>
#include <vector>

namespace foliant::Wizard {

void UpdateGroupMoveButtons() {
    dialog::frmWizard& f = WizardForm();
    forms::Node* selected = f.GroupTreeView.SelectedItem();
    forms::Node& root = f.GroupTreeView.Nodes().Item(1);
    if (selected == nullptr || selected == &root) {
        f.CmdGroupDown.SetEnabled(false);
        f.cmdGroupUp.SetEnabled(false);
        return;
    }
    f.CmdGroupDown.SetEnabled(selected->Child() != nullptr);
    f.cmdGroupUp.SetEnabled(selected->Parent() != &root);
}

int GroupOrderOf(const forms::Node& node) {
    const int order = std::atoi(node.Tag().c_str());
    return order >= 0 && order <= 2 ? order : 0;
}

} // namespace foliant::Wizard

namespace foliant::dialog {

namespace {

constexpr const char* kGroupImage = "GroupItem";

struct GroupNodeCopy {
    std::string text;
    std::string tag;
    std::string image;
};

GroupNodeCopy CopyOf(const forms::Node& node) {
    return {node.Text(), node.Tag(), node.Image()};
}

// Copies of node and of every group below it, down the chain.
std::vector<GroupNodeCopy> ChainFrom(const forms::Node* node) {
    std::vector<GroupNodeCopy> copies;
    for (; node != nullptr; node = node->Child()) {
        copies.push_back(CopyOf(*node));
    }
    return copies;
}

// Replaces old and the groups below it by a chain made from copies, hung below old's parent:
// the new nodes are appended (expanded) first, then old's subtree is deleted. Returns the new
// nodes in chain order.
std::vector<forms::Node*> ReplaceChain(TreeView& tree, forms::Node& old,
                                       const std::vector<GroupNodeCopy>& copies) {
    std::vector<forms::Node*> made;
    forms::Node* parent = old.Parent();
    for (const GroupNodeCopy& copy : copies) {
        forms::Node& node =
            tree.Nodes().Add(parent, forms::Relationship::Child, {}, copy.text, copy.image);
        node.SetTag(copy.tag);
        node.SetExpanded(true);
        made.push_back(&node);
        parent = &node;
    }
    tree.Nodes().Remove(old);
    return made;
}

int GroupNumberOf(const forms::Node& node) {
    return node.Index() - 1;
}

} // namespace

void frmWizard::AddGroup_Click() {
    forms::Node* field = DatabaseTreeView.SelectedItem();
    // AddGroup is enabled only while a field node is selected; a stray call adds nothing.
    if (field == nullptr || !Wizard::IsFieldTag(field->Tag())) {
        return;
    }
    const std::string name = Wizard::StripBraces(field->Tag());
    forms::Node* last = &GroupTreeView.Nodes().Item(1);
    bool present = false;
    for (forms::Node* node = last->Child(); node != nullptr; node = node->Child()) {
        present = present || node->Text() == name;
        last = node;
    }
    if (!present) {
        forms::Node& node =
            GroupTreeView.Nodes().Add(last, forms::Relationship::Child, {}, name, kGroupImage);
        node.SetTag("0");
        last->SetExpanded(true);
        Wizard::AppendGroupData();
        GroupTreeView.SetSelectedItem(&node);
        Wizard::UpdateGroupMoveButtons();
        RemoveGroup.SetEnabled(true);
        OrderCombo.SetEnabled(true);
        SortOrder.SetEnabled(true);
        OrderCombo.SetListIndex(0);
    }
    AdvanceTreeSelection(*field, AddGroup);
    DatabaseTreeView.SetFocus();
}

void frmWizard::RemoveGroup_Click() {
    forms::Node* selected = GroupTreeView.SelectedItem();
    forms::Node& root = GroupTreeView.Nodes().Item(1);
    if (selected == nullptr || selected == &root) {
        return;
    }
    Wizard::DeleteGroupData(GroupNumberOf(*selected));
    forms::Node* parent = selected->Parent();
    const auto made = ReplaceChain(GroupTreeView, *selected, ChainFrom(selected->Child()));
    // The selection lands on the innermost remaining group.
    forms::Node& last = made.empty() ? *parent : *made.back();
    if (&last != &root) {
        SelectGroupNode(last);
        return;
    }
    OrderCombo.SetEnabled(false);
    SortOrder.SetEnabled(false);
    RemoveGroup.SetEnabled(false);
    Wizard::UpdateGroupMoveButtons();
}

void frmWizard::cmdGroupUp_Click() {
    forms::Node* moved = GroupTreeView.SelectedItem();
    forms::Node& root = GroupTreeView.Nodes().Item(1);
    if (moved == nullptr || moved == &root || moved->Parent() == &root) {
        return;
    }
    forms::Node& above = *moved->Parent();
    Wizard::SwapGroupData(GroupNumberOf(above), GroupNumberOf(*moved));
    std::vector<GroupNodeCopy> copies{CopyOf(*moved), CopyOf(above)};
    for (const GroupNodeCopy& copy : ChainFrom(moved->Child())) {
        copies.push_back(copy);
    }
    SelectGroupNode(*ReplaceChain(GroupTreeView, above, copies).front());
}

void frmWizard::CmdGroupDown_Click() {
    forms::Node* moved = GroupTreeView.SelectedItem();
    forms::Node& root = GroupTreeView.Nodes().Item(1);
    if (moved == nullptr || moved == &root || moved->Child() == nullptr) {
        return;
    }
    forms::Node& below = *moved->Child();
    Wizard::SwapGroupData(GroupNumberOf(*moved), GroupNumberOf(below));
    std::vector<GroupNodeCopy> copies{CopyOf(below), CopyOf(*moved)};
    for (const GroupNodeCopy& copy : ChainFrom(below.Child())) {
        copies.push_back(copy);
    }
    SelectGroupNode(*ReplaceChain(GroupTreeView, *moved, copies).at(1));
}

void frmWizard::SelectGroupNode(forms::Node& node) {
    GroupTreeView.SetSelectedItem(&node);
    Wizard::UpdateGroupMoveButtons();
    OrderCombo.SetListIndex(Wizard::GroupOrderOf(node));
    GroupTreeView.SetFocus();
}

void frmWizard::GroupTreeView_NodeClick(forms::Node& node) {
    const bool isGroup = &node != &GroupTreeView.Nodes().Item(1);
    RemoveGroup.SetEnabled(isGroup);
    SortOrder.SetEnabled(isGroup);
    OrderCombo.SetEnabled(isGroup);
    if (isGroup) {
        OrderCombo.SetListIndex(Wizard::GroupOrderOf(node));
    }
    Wizard::UpdateGroupMoveButtons();
}

void frmWizard::OrderCombo_Click() {
    // Only a person's choice is stored: code that shows a group's order while the combo is
    // disabled stores nothing.
    forms::Node* selected = GroupTreeView.SelectedItem();
    if (!OrderCombo.Enabled() || OrderCombo.ListIndex() < 0 || selected == nullptr ||
        selected == &GroupTreeView.Nodes().Item(1)) {
        return;
    }
    selected->SetTag(std::to_string(OrderCombo.ListIndex()));
}

} // namespace foliant::dialog
