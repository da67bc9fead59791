#pragma once

#include <functional>

namespace foliant::forms {

class Form;
class Control;
class Node;

// What a form announces when its state changes, whoever changed it (code, a user action or a
// backend). Front ends listen to these and never poll the model.
struct ChangeEvent {
    enum class What {
        // A property of `control`.
        Caption,
        Text,      // text box or combo box text
        Selection, // SelStart / SelLength of a text box or combo box
        Value,     // check box or option button
        ListIndex,
        Visible,
        Enabled,
        Geometry,
        ToolTip,
        Picture,
        Font,
        Style,     // combo box style, frame or picture box look
        ImageList, // the image list a tree takes its icons from changed
        Content,   // what an outside control (CustomControl) shows changed
        // Items of a list box or combo box `control`; `index` is the item's index.
        ItemInserted,
        ItemRemoved,
        ItemChanged,
        ItemsCleared,
        ItemsAppended, // items from `index` to the end were appended in one change
        // Nodes of the tree view `control`.
        NodeAdded,    // `node` has been linked into the tree
        NodesAdded,   // nodes have been linked into the tree in one go (`node` is null)
        NodeRemoving, // `node` and its subtree are about to be removed (still valid)
        NodeChanged,  // text, image, tag or expanded state of `node`
        SelectedNode, // the tree's SelectedItem changed (`node` may be null)
        // The form itself (`control` is null unless stated).
        FormCaption,
        FormLoaded,
        FormShown,
        FormHidden,
        FormUnloaded,
        FormDestroyed,
        DefaultButton, // `control` is the new default button or null
        CancelButton,  // `control` is the new cancel button or null
        Focus,         // `control` is the new focused control or null
        WindowState,
        WindowPlacement, // outer position or size, or client size
    };

    What what;
    Form* form = nullptr;
    Control* control = nullptr;
    int index = -1;
    Node* node = nullptr;
};

using ChangeListener = std::function<void(const ChangeEvent&)>;

} // namespace foliant::forms
