#include "platform/forms/UserActions.h"

#include "platform/forms/Controls.h"
#include "platform/forms/FormsError.h"
#include "platform/forms/TreeView.h"

namespace foliant::forms::user {

namespace {

[[noreturn]] void WrongKind(const Control& control, const char* action) {
    throw UserActionRefused(std::string("Cannot ") + action + " '" + control.Name() +
                            "': it is a " + KindName(control.Kind()) + ".");
}

TextEditor& AsEditor(Control& control, const char* action) {
    TextEditor* editor = control.Editor();
    if (editor == nullptr) {
        WrongKind(control, action);
    }
    return *editor;
}

ListControl& AsList(Control& control) {
    auto* list = dynamic_cast<ListControl*>(&control);
    if (list == nullptr) {
        WrongKind(control, "select an entry of");
    }
    return *list;
}

TreeView& AsTree(Control& control) {
    auto* tree = dynamic_cast<TreeView*>(&control);
    if (tree == nullptr) {
        WrongKind(control, "click a node of");
    }
    return *tree;
}

} // namespace

void Type(Control& control, const std::string& text) {
    AsEditor(control, "type into").UserTypeOver(text);
}

void Append(Control& control, const std::string& text) {
    AsEditor(control, "type into").UserAppend(text);
}

void Paste(Control& control, const std::string& text) {
    AsEditor(control, "paste into").UserPasteOver(text);
}

void Clear(Control& control) {
    AsEditor(control, "clear").UserClear();
}

void Select(Control& control, int index) {
    AsList(control).UserSelect(index);
}

void Select(Control& control, const std::string& text) {
    ListControl& list = AsList(control);
    for (int i = 0; i < list.ListCount(); ++i) {
        if (list.List(i) == text) {
            list.UserSelect(i);
            return;
        }
    }
    list.RequireUsable("select an entry of");
    throw UserActionRefused("Cannot select \"" + text + "\" in '" + control.Name() +
                            "': it has no such entry.");
}

void ClickNode(Control& control, int index) {
    TreeView& tree = AsTree(control);
    if (index < 1 || index > tree.Nodes().Count()) {
        tree.RequireUsable("click a node of");
        throw UserActionRefused("Cannot click node #" + std::to_string(index) + " of '" +
                                control.Name() + "': it has " +
                                std::to_string(tree.Nodes().Count()) + " nodes.");
    }
    tree.UserClickNode(tree.Nodes().Item(index));
}

void ClickNode(Control& control, const std::string& text) {
    TreeView& tree = AsTree(control);
    for (int i = 1; i <= tree.Nodes().Count(); ++i) {
        if (tree.Nodes().Item(i).Text() == text) {
            tree.UserClickNode(tree.Nodes().Item(i));
            return;
        }
    }
    tree.RequireUsable("click a node of");
    throw UserActionRefused("Cannot click the node \"" + text + "\" of '" + control.Name() +
                            "': it has no such node.");
}

} // namespace foliant::forms::user
