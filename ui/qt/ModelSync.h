#pragma once

#include "platform/forms/ChangeEvent.h"

#include <QIcon>

#include <functional>
#include <map>

class QAbstractItemModel;
class QLineEdit;
class QTreeWidgetItem;

namespace foliant::forms {
class Control;
class ListControl;
class Node;
struct Picture;
class TreeView;
} // namespace foliant::forms

namespace foliant::qt {

class FormWidgets;

// Shows a form's controls in their widgets: every property when a widget is made, then each
// change the form announces. Widgets are only changed here, inside a sync, so their signals
// are never taken for a person's input.
class ModelSync {
public:
    // `newEdit` is told of a combo box's line edit made when its style becomes editable.
    ModelSync(FormWidgets& widgets, std::function<void(forms::Control&, QLineEdit&)> newEdit);

    // Shows every property of the control (its widget must exist).
    void ShowAll(forms::Control& control);
    // Shows one change of a control or of its items or nodes.
    void Show(const forms::ChangeEvent& event);
    // Shows what a user action may have changed and the widget may show otherwise: the
    // value, the selected item or node (after a refused action, the model's state again).
    void ShowState(forms::Control& control);
    // The look of the form's default button.
    void ShowDefaultButtons();
    // Moves the keyboard focus to the form's focused control.
    void ShowFocus();

private:
    void ShowStyle(forms::Control& control);
    void ShowCaption(forms::Control& control);
    void ShowText(forms::Control& control);
    void ShowValue(forms::Control& control);
    void ShowPicture(forms::Control& control);
    void ShowFont(forms::Control& control);
    void ShowGeometry(forms::Control& control);
    void ShowVisible(forms::Control& control);

    QAbstractItemModel* ItemModel(forms::Control& control) const;
    void ShowItemChange(forms::ListControl& list, forms::ChangeEvent::What what, int index);
    void ShowItems(forms::Control& control);
    void AppendItems(forms::ListControl& list, int first);
    void ShowListIndex(forms::Control& control);

    void AddNodes(forms::TreeView& tree);
    void AddNode(forms::Node& node);
    QTreeWidgetItem* NewItems(forms::Node& node);
    void ShowExpanded(forms::Node& node);
    void RemoveNode(forms::Node& node);
    void ShowNode(forms::Node& node);
    void ShowSelectedNode(forms::Control& control);
    void ShowImages(forms::Control& control);
    void ShowImagesOfTreesUsing(forms::Control& imageList);
    QIcon NodeIcon(const forms::Node& node);

    FormWidgets& widgets_;
    std::function<void(forms::Control&, QLineEdit&)> newEdit_;
    // Decoded pictures of image lists; emptied whenever an image list changes.
    std::map<const forms::Picture*, QIcon> icons_;
};

} // namespace foliant::qt
