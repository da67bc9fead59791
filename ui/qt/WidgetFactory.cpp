#include "ui/qt/WidgetFactory.h"

#include "platform/forms/Backend.h"
#include "platform/forms/Controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <cmath>
#include <map>
#include <mutex>

namespace foliant::qt {

namespace {

std::mutex factoryMutex;
std::map<std::string, CustomWidgetFactory>& Factories() {
    static std::map<std::string, CustomWidgetFactory> factories;
    return factories;
}

CustomWidgetFactory FactoryFor(const std::string& typeName) {
    std::lock_guard lock(factoryMutex);
    auto it = Factories().find(typeName);
    return it != Factories().end() ? it->second : CustomWidgetFactory();
}

QWidget* CreateLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QWidget* CreateButton(QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setAutoDefault(false); // Enter is routed through the model, never by Qt
    return button;
}

// Option buttons and check boxes take a click anywhere in the rectangle the form gives them,
// not only on their mark and caption: a click on the blank part of a row beside a short
// caption selects that row.
template <class Button> class WholeRowButton : public Button {
public:
    using Button::Button;

protected:
    bool hitButton(const QPoint& pos) const override { return this->rect().contains(pos); }
};

QWidget* CreateOptionButton(QWidget* parent) {
    auto* radio = new WholeRowButton<QRadioButton>(parent);
    radio->setAutoExclusive(false); // the model keeps option buttons exclusive
    return radio;
}

QWidget* CreateTextBox(QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    PrepareLineEdit(*edit);
    return edit;
}

QWidget* CreateComboBox(const forms::ComboBox& model, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setInsertPolicy(QComboBox::NoInsert);
    if (model.HasEditField()) {
        combo->setEditable(true);
        PrepareLineEdit(*combo->lineEdit());
    }
    return combo;
}

// Every item is one line of text in the list's font: the list need not measure each of them.
QWidget* CreateListBox(QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setUniformItemSizes(true);
    return list;
}

QWidget* CreateTree(QWidget* parent) {
    auto* tree = new QTreeWidget(parent);
    tree->setHeaderHidden(true);
    tree->setColumnCount(1);
    tree->setRootIsDecorated(true);
    tree->setIndentation(16);
    return tree;
}

QWidget* CreatePicture(QWidget* parent) {
    auto* picture = new QLabel(parent);
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return picture;
}

QWidget* CreateFrame(const forms::Frame& frame, QWidget* parent) {
    if (!IsRule(frame)) {
        return new QGroupBox(parent);
    }
    auto* rule = new QFrame(parent);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    return rule;
}

QWidget* CreateCustom(forms::CustomControl& custom, QWidget* parent) {
    const CustomWidgetFactory factory = FactoryFor(custom.TypeName());
    if (QWidget* widget = factory ? factory(custom, parent) : nullptr) {
        widget->setParent(parent);
        return widget;
    }
    auto* placeholder = new QLabel(QString::fromStdString(custom.TypeName()), parent);
    placeholder->setFrameShape(QFrame::Box);
    placeholder->setAlignment(Qt::AlignCenter);
    return placeholder;
}

QWidget* CreateOfKind(forms::Control& control, QWidget* parent) {
    switch (control.Kind()) {
    case forms::ControlKind::Label:
        return CreateLabel(parent);
    case forms::ControlKind::CommandButton:
        return CreateButton(parent);
    case forms::ControlKind::CheckBox:
        return new WholeRowButton<QCheckBox>(parent);
    case forms::ControlKind::OptionButton:
        return CreateOptionButton(parent);
    case forms::ControlKind::TextBox:
        return CreateTextBox(parent);
    case forms::ControlKind::ListBox:
        return CreateListBox(parent);
    case forms::ControlKind::ComboBox:
        return CreateComboBox(static_cast<forms::ComboBox&>(control), parent);
    case forms::ControlKind::TreeView:
        return CreateTree(parent);
    case forms::ControlKind::PictureBox:
        return CreatePicture(parent);
    case forms::ControlKind::Frame:
        return CreateFrame(static_cast<forms::Frame&>(control), parent);
    case forms::ControlKind::Custom:
        return CreateCustom(static_cast<forms::CustomControl&>(control), parent);
    default:
        return nullptr;
    }
}

} // namespace

int ToPixels(int twips) {
    return static_cast<int>(std::lround(static_cast<double>(twips) / forms::kTwipsPerPixel));
}

int ToTwips(int pixels) {
    return pixels * forms::kTwipsPerPixel;
}

QPixmap LoadPicture(const forms::Picture& picture) {
    QPixmap pixmap;
    const auto bytes = forms::PictureBytes(picture);
    if (!bytes.empty()) {
        pixmap.loadFromData(bytes.data(), static_cast<uint>(bytes.size()));
    }
    return pixmap;
}

void RegisterCustomWidget(const std::string& typeName, CustomWidgetFactory factory) {
    std::lock_guard lock(factoryMutex);
    Factories()[typeName] = std::move(factory);
}

CreatedWidget CreateWidget(forms::Control& control, QWidget* parent) {
    if (!control.HasWindow()) {
        return {};
    }
    QWidget* widget = CreateOfKind(control, parent);
    if (widget == nullptr) {
        return {};
    }
    widget->setObjectName(QString::fromStdString(control.Name()));
    if (!control.TakesFocus()) {
        widget->setFocusPolicy(Qt::NoFocus);
    }
    QLineEdit* edit = nullptr;
    if (control.Kind() == forms::ControlKind::TextBox) {
        edit = static_cast<QLineEdit*>(widget);
    } else if (control.Kind() == forms::ControlKind::ComboBox) {
        edit = static_cast<QComboBox*>(widget)->lineEdit();
    }
    return {widget, edit};
}

bool IsRule(const forms::Frame& frame) {
    return frame.Caption().empty() && frame.Height() <= 150;
}

void PrepareLineEdit(QLineEdit& edit) {
    edit.setContextMenuPolicy(Qt::NoContextMenu);
    edit.setAcceptDrops(false);
}

} // namespace foliant::qt
