#include "ui/qt/ModelSync.h"

#include "platform/forms/Controls.h"
#include "platform/forms/Form.h"
#include "platform/forms/TreeView.h"
#include "ui/qt/FormWidgets.h"
#include "ui/qt/LabelFit.h"
#include "ui/qt/WidgetFactory.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

namespace foliant::qt {

using forms::ControlKind;
using What = forms::ChangeEvent::What;

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// Model positions count code points; Qt counts UTF-16 units.
int ToUtf16(const QString& text, int codePoints) {
    int units = 0;
    for (int n = 0; n < codePoints && units < text.size(); ++n) {
        units += text[units].isHighSurrogate() && units + 1 < text.size() ? 2 : 1;
    }
    return units;
}

} // namespace

ModelSync::ModelSync(FormWidgets& widgets, std::function<void(forms::Control&, QLineEdit&)> newEdit)
    : widgets_(widgets), newEdit_(std::move(newEdit)) {}

void ModelSync::ShowAll(forms::Control& control) {
    QWidget* widget = widgets_.Widget(control);
    if (widget == nullptr) {
        return;
    }
    FormWidgets::SyncScope sync(widgets_);
    ShowStyle(control);
    ShowGeometry(control);
    widget->setToolTip(Q(control.ToolTipText()));
    widget->setEnabled(control.Enabled());
    ShowFont(control);
    ShowCaption(control);
    ShowPicture(control);
    ShowItems(control);
    ShowText(control);
    ShowValue(control);
    if (control.Kind() == ControlKind::TreeView) {
        AddNodes(static_cast<forms::TreeView&>(control));
        ShowSelectedNode(control);
    }
    widget->setVisible(control.Visible());
}

void ModelSync::Show(const forms::ChangeEvent& event) {
    forms::Control& control = *event.control;
    QWidget* widget = widgets_.Widget(control);
    FormWidgets::SyncScope sync(widgets_);
    if (widget == nullptr) {
        if (event.what == What::Picture && control.Kind() == ControlKind::ImageList) {
            ShowImagesOfTreesUsing(control);
        }
        return;
    }
    switch (event.what) {
    case What::Caption:
        ShowCaption(control);
        break;
    case What::Text:
    case What::Selection:
        ShowText(control);
        break;
    case What::Value:
        ShowValue(control);
        break;
    case What::ListIndex:
        ShowListIndex(control);
        break;
    case What::Visible:
        ShowVisible(control);
        break;
    case What::Enabled:
        widget->setEnabled(control.Enabled());
        break;
    case What::Geometry:
        ShowGeometry(control);
        break;
    case What::ToolTip:
        widget->setToolTip(Q(control.ToolTipText()));
        break;
    case What::Picture:
        ShowPicture(control);
        break;
    case What::Font:
        ShowFont(control);
        break;
    case What::Style:
        ShowAll(control);
        break;
    case What::ImageList:
        ShowImages(control);
        break;
    case What::ItemInserted:
    case What::ItemRemoved:
    case What::ItemChanged:
        ShowItemChange(static_cast<forms::ListControl&>(control), event.what, event.index);
        break;
    case What::ItemsCleared:
        ShowItems(control);
        break;
    case What::ItemsAppended:
        AppendItems(static_cast<forms::ListControl&>(control), event.index);
        break;
    case What::NodeAdded:
        AddNode(*event.node);
        break;
    case What::NodesAdded:
        AddNodes(static_cast<forms::TreeView&>(control));
        ShowSelectedNode(control);
        break;
    case What::NodeRemoving:
        RemoveNode(*event.node);
        break;
    case What::NodeChanged:
        ShowNode(*event.node);
        break;
    case What::SelectedNode:
        ShowSelectedNode(control);
        break;
    default:
        break;
    }
}

void ModelSync::ShowState(forms::Control& control) {
    if (widgets_.Widget(control) == nullptr) {
        return;
    }
    FormWidgets::SyncScope sync(widgets_);
    ShowValue(control);
    ShowListIndex(control);
    ShowSelectedNode(control);
}

void ModelSync::ShowDefaultButtons() {
    forms::Form* form = widgets_.Form();
    if (form == nullptr) {
        return;
    }
    for (forms::Control* control : form->Controls()) {
        if (control->Kind() == ControlKind::CommandButton) {
            // The look only: Enter is routed through the model, never by Qt.
            static_cast<QPushButton*>(widgets_.Widget(*control))
                ->setDefault(form->DefaultButton() == control);
        }
    }
}

void ModelSync::ShowFocus() {
    if (widgets_.Form() == nullptr) {
        return;
    }
    forms::Control* control = widgets_.Form()->ActiveControl();
    QWidget* widget = control != nullptr ? widgets_.Widget(*control) : nullptr;
    if (widget != nullptr && !widget->hasFocus()) {
        widget->setFocus(Qt::OtherFocusReason);
    }
}

// --- properties ---------------------------------------------------------------------------

void ModelSync::ShowStyle(forms::Control& control) {
    QWidget* widget = widgets_.Widget(control);
    if (control.Kind() == ControlKind::ComboBox) {
        auto* combo = static_cast<QComboBox*>(widget);
        const bool editable = control.Editor()->HasEditField();
        if (combo->isEditable() == editable) {
            return;
        }
        widgets_.SetEdit(control, nullptr);
        combo->setEditable(editable);
        if (QLineEdit* edit = combo->lineEdit()) {
            PrepareLineEdit(*edit);
            widgets_.SetEdit(control, edit);
            newEdit_(control, *edit);
        }
    } else if (control.Kind() == ControlKind::PictureBox) {
        auto* picture = static_cast<QLabel*>(widget);
        const bool border = static_cast<forms::PictureBox&>(control).BorderStyle() == 1;
        picture->setFrameShape(border ? QFrame::Panel : QFrame::NoFrame);
        picture->setFrameShadow(QFrame::Sunken);
    }
}

void ModelSync::ShowCaption(forms::Control& control) {
    QWidget* widget = widgets_.Widget(control);
    switch (control.Kind()) {
    case ControlKind::Label: {
        auto* label = static_cast<QLabel*>(widget);
        label->setText(LabelText(static_cast<forms::Label&>(control).Caption()));
        FitOneLineLabel(*label);
        break;
    }
    case ControlKind::CommandButton: {
        const auto& button = static_cast<forms::CommandButton&>(control);
        static_cast<QPushButton*>(widget)->setText(button.Picture().IsEmpty() ? Q(button.Caption())
                                                                              : QString());
        break;
    }
    case ControlKind::CheckBox:
        static_cast<QCheckBox*>(widget)->setText(
            Q(static_cast<forms::CheckBox&>(control).Caption()));
        break;
    case ControlKind::OptionButton:
        static_cast<QRadioButton*>(widget)->setText(
            Q(static_cast<forms::OptionButton&>(control).Caption()));
        break;
    case ControlKind::Frame:
        if (auto* group = qobject_cast<QGroupBox*>(widget)) { // a rule shows no caption
            group->setTitle(Q(static_cast<forms::Frame&>(control).Caption()));
        }
        break;
    default:
        break;
    }
}

void ModelSync::ShowText(forms::Control& control) {
    const forms::TextEditor* editor = control.Editor();
    QLineEdit* edit = widgets_.Edit(control);
    if (editor == nullptr || edit == nullptr) {
        return; // no text, or a drop-down list that shows its selected item
    }
    const QString text = Q(editor->Text());
    if (edit->text() != text) {
        edit->setText(text);
    }
    const int start = ToUtf16(text, editor->SelStart());
    const int end = ToUtf16(text, editor->SelStart() + editor->SelLength());
    if (end > start) {
        edit->setSelection(start, end - start);
    } else {
        edit->setCursorPosition(start);
    }
}

void ModelSync::ShowValue(forms::Control& control) {
    QWidget* widget = widgets_.Widget(control);
    if (control.Kind() == ControlKind::CheckBox) {
        const int value = static_cast<forms::CheckBox&>(control).Value();
        auto* box = static_cast<QCheckBox*>(widget);
        box->setTristate(value == 2);
        box->setCheckState(value == 0   ? Qt::Unchecked
                           : value == 1 ? Qt::Checked
                                        : Qt::PartiallyChecked);
    } else if (control.Kind() == ControlKind::OptionButton) {
        static_cast<QRadioButton*>(widget)->setChecked(
            static_cast<forms::OptionButton&>(control).Value());
    }
}

void ModelSync::ShowPicture(forms::Control& control) {
    QWidget* widget = widgets_.Widget(control);
    if (control.Kind() == ControlKind::CommandButton) {
        auto* push = static_cast<QPushButton*>(widget);
        const QPixmap pixmap = LoadPicture(static_cast<forms::CommandButton&>(control).Picture());
        push->setIcon(pixmap.isNull() ? QIcon() : QIcon(pixmap));
        if (!pixmap.isNull()) {
            push->setIconSize(pixmap.size());
        }
        ShowCaption(control);
    } else if (control.Kind() == ControlKind::PictureBox) {
        static_cast<QLabel*>(widget)->setPixmap(
            LoadPicture(static_cast<forms::PictureBox&>(control).Picture()));
    }
}

void ModelSync::ShowFont(forms::Control& control) {
    QWidget* widget = widgets_.Widget(control);
    QFont font = widget->font();
    font.setBold(control.FontBold());
    widget->setFont(font);
}

void ModelSync::ShowGeometry(forms::Control& control) {
    widgets_.Widget(control)->setGeometry(ToPixels(control.Left()), ToPixels(control.Top()),
                                          ToPixels(control.Width()), ToPixels(control.Height()));
}

void ModelSync::ShowVisible(forms::Control& control) {
    QWidget* widget = widgets_.Widget(control);
    widget->setVisible(control.Visible());
    RefitLabelsAround(*widget);
}

// --- items of list boxes and combo boxes --------------------------------------------------

// Both widgets keep their items in an item model; only the current item is set differently.
QAbstractItemModel* ModelSync::ItemModel(forms::Control& control) const {
    QWidget* widget = widgets_.Widget(control);
    switch (control.Kind()) {
    case ControlKind::ListBox:
        return static_cast<QListWidget*>(widget)->model();
    case ControlKind::ComboBox:
        return static_cast<QComboBox*>(widget)->model();
    default:
        return nullptr;
    }
}

void ModelSync::ShowItemChange(forms::ListControl& list, What what, int index) {
    QAbstractItemModel* items = ItemModel(list);
    if (what == What::ItemRemoved) {
        items->removeRow(index);
    } else {
        if (what == What::ItemInserted) {
            items->insertRow(index);
        }
        items->setData(items->index(index, 0), Q(list.List(index)), Qt::DisplayRole);
    }
    ShowListIndex(list);
}

void ModelSync::ShowItems(forms::Control& control) {
    QAbstractItemModel* items = ItemModel(control);
    if (items == nullptr) {
        return;
    }
    const auto& list = static_cast<forms::ListControl&>(control);
    items->removeRows(0, items->rowCount());
    items->insertRows(0, list.ListCount());
    for (int i = 0; i < list.ListCount(); ++i) {
        items->setData(items->index(i, 0), Q(list.List(i)), Qt::DisplayRole);
    }
    ShowListIndex(control);
}

// Many items at once go in as one insertion, so the view lays itself out once.
void ModelSync::AppendItems(forms::ListControl& list, int first) {
    QStringList texts;
    texts.reserve(list.ListCount() - first);
    for (int i = first; i < list.ListCount(); ++i) {
        texts.append(Q(list.List(i)));
    }
    QWidget* widget = widgets_.Widget(list);
    if (list.Kind() == ControlKind::ListBox) {
        static_cast<QListWidget*>(widget)->addItems(texts);
    } else {
        static_cast<QComboBox*>(widget)->addItems(texts);
    }
    ShowListIndex(list);
}

void ModelSync::ShowListIndex(forms::Control& control) {
    QWidget* widget = widgets_.Widget(control);
    FormWidgets::SyncScope sync(widgets_);
    if (control.Kind() == ControlKind::ListBox) {
        const int index = static_cast<forms::ListBox&>(control).ListIndex();
        auto* list = static_cast<QListWidget*>(widget);
        if (list->currentRow() != index) {
            list->setCurrentRow(index);
        }
        if (index < 0) {
            list->clearSelection();
        }
    } else if (control.Kind() == ControlKind::ComboBox) {
        const int index = static_cast<forms::ComboBox&>(control).ListIndex();
        auto* combo = static_cast<QComboBox*>(widget);
        if (combo->currentIndex() != index) {
            combo->setCurrentIndex(index);
        }
        ShowText(control);
    }
}

// --- tree nodes ---------------------------------------------------------------------------

// Every node that has no item yet gets one. A new subtree is built off the widget and goes in
// as one insertion: the view lays itself out once, not once for each of thousands of nodes.
void ModelSync::AddNodes(forms::TreeView& tree) {
    std::vector<forms::Node*> pending(tree.Nodes().Roots().rbegin(), tree.Nodes().Roots().rend());
    while (!pending.empty()) {
        forms::Node* node = pending.back();
        pending.pop_back();
        if (widgets_.HasItem(*node)) {
            pending.insert(pending.end(), node->ChildNodes().rbegin(), node->ChildNodes().rend());
        } else {
            AddNode(*node);
        }
    }
}

void ModelSync::AddNode(forms::Node& node) {
    auto* tree = static_cast<QTreeWidget*>(widgets_.Widget(node.Tree()));
    if (widgets_.HasItem(node) || tree == nullptr) {
        return;
    }
    const auto& siblings =
        node.Parent() != nullptr ? node.Parent()->ChildNodes() : node.Tree().Nodes().Roots();
    // Its position among the siblings that already have items.
    int position = 0;
    for (const forms::Node* sibling : siblings) {
        if (sibling == &node) {
            break;
        }
        position += widgets_.HasItem(*sibling) ? 1 : 0;
    }
    QTreeWidgetItem* item = NewItems(node);
    QTreeWidgetItem* parent = node.Parent() != nullptr ? widgets_.Item(*node.Parent()) : nullptr;
    if (parent != nullptr) {
        parent->insertChild(position, item);
        parent->setExpanded(node.Parent()->Expanded());
    } else {
        tree->insertTopLevelItem(position, item);
    }
    ShowExpanded(node);
}

// Items for the node and its subtree, not yet in a widget.
QTreeWidgetItem* ModelSync::NewItems(forms::Node& node) {
    auto* item = new QTreeWidgetItem();
    item->setText(0, Q(node.Text()));
    item->setIcon(0, NodeIcon(node));
    widgets_.AddItem(node, item);
    QList<QTreeWidgetItem*> children;
    children.reserve(node.Children());
    for (forms::Node* child : node.ChildNodes()) {
        children.append(NewItems(*child));
    }
    item->addChildren(children);
    return item;
}

// An item outside a widget cannot keep its expanded state: new items are expanded once they
// are in (they start collapsed).
void ModelSync::ShowExpanded(forms::Node& node) {
    if (node.Expanded()) {
        widgets_.Item(node)->setExpanded(true);
    }
    for (forms::Node* child : node.ChildNodes()) {
        ShowExpanded(*child);
    }
}

// Each picture of an image list is decoded once: a tree over a big schema shows the same few
// pictures on thousands of nodes.
QIcon ModelSync::NodeIcon(const forms::Node& node) {
    const forms::ImageList* images = node.Tree().ImageList();
    if (images == nullptr || node.Image().empty() || !images->Contains(node.Image())) {
        return {};
    }
    const forms::Picture& picture = images->Image(node.Image());
    auto found = icons_.find(&picture);
    if (found == icons_.end()) {
        const QPixmap pixmap = LoadPicture(picture);
        found = icons_.emplace(&picture, pixmap.isNull() ? QIcon() : QIcon(pixmap)).first;
    }
    return found->second;
}

void ModelSync::RemoveNode(forms::Node& node) {
    QTreeWidgetItem* item = widgets_.Item(node);
    if (item == nullptr) {
        return;
    }
    widgets_.ForgetItems(node);
    delete item;
}

void ModelSync::ShowNode(forms::Node& node) {
    QTreeWidgetItem* item = widgets_.Item(node);
    if (item == nullptr) {
        return;
    }
    item->setText(0, Q(node.Text()));
    item->setIcon(0, NodeIcon(node));
    item->setExpanded(node.Expanded());
}

void ModelSync::ShowSelectedNode(forms::Control& control) {
    if (control.Kind() != ControlKind::TreeView) {
        return;
    }
    const auto& tree = static_cast<forms::TreeView&>(control);
    auto* widget = static_cast<QTreeWidget*>(widgets_.Widget(control));
    FormWidgets::SyncScope sync(widgets_);
    QTreeWidgetItem* item =
        tree.SelectedItem() != nullptr ? widgets_.Item(*tree.SelectedItem()) : nullptr;
    if (widget->currentItem() != item) {
        widget->setCurrentItem(item);
    }
    if (item == nullptr) {
        widget->clearSelection();
    } else if (!item->isSelected()) {
        item->setSelected(true);
    }
}

void ModelSync::ShowImages(forms::Control& control) {
    if (control.Kind() != ControlKind::TreeView) {
        return;
    }
    icons_.clear();
    for (const auto& [node, item] : widgets_.Items()) {
        if (&node->Tree() == &control) {
            item->setIcon(0, NodeIcon(*node));
        }
    }
}

void ModelSync::ShowImagesOfTreesUsing(forms::Control& imageList) {
    for (forms::Control* control : widgets_.Form()->Controls()) {
        if (control->Kind() == ControlKind::TreeView &&
            static_cast<forms::TreeView*>(control)->ImageList() == &imageList) {
            ShowImages(*control);
        }
    }
}

} // namespace foliant::qt
