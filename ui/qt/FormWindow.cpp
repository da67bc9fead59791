#include "ui/qt/FormWindow.h"

#include "platform/forms/Backend.h"
#include "platform/forms/Controls.h"
#include "platform/forms/TreeView.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QWindow>
#include <QWindowStateChangeEvent>
#include <cmath>
#include <map>
#include <mutex>

namespace foliant::qt {

using forms::ChangeEvent;
using What = ChangeEvent::What;

namespace {

std::mutex factoryMutex;
std::map<std::string, CustomWidgetFactory>& Factories() {
    static std::map<std::string, CustomWidgetFactory> factories;
    return factories;
}

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// Labels show "&" as the model does: a single one marks nothing visible, "&&" is one "&".
QString LabelText(const std::string& caption) {
    QString out;
    const QString text = Q(caption);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&') {
            if (i + 1 < text.size() && text[i + 1] == u'&') {
                out += u'&';
                ++i;
            }
            continue;
        }
        out += text[i];
    }
    return out;
}

// Model positions count code points; Qt counts UTF-16 units.
int ToUtf16(const QString& text, int codePoints) {
    int units = 0;
    for (int n = 0; n < codePoints && units < text.size(); ++n) {
        units += text[units].isHighSurrogate() && units + 1 < text.size() ? 2 : 1;
    }
    return units;
}

int ToCodePoints(const QString& text, int units) {
    return static_cast<int>(text.left(units).toUcs4().size());
}

// The key code a key press gives a KeyDown handler, 0 for keys without one.
int KeyCode(const QKeyEvent* event) {
    const int key = event->key();
    if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        return key; // same codes
    }
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        return key;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) {
        return 112 + (key - Qt::Key_F1);
    }
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return forms::kKeyReturn;
    case Qt::Key_Escape:
        return forms::kKeyEscape;
    case Qt::Key_Backspace:
        return forms::kKeyBack;
    case Qt::Key_Delete:
        return forms::kKeyDelete;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_PageUp:
        return 33;
    case Qt::Key_PageDown:
        return 34;
    case Qt::Key_End:
        return 35;
    case Qt::Key_Home:
        return 36;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Insert:
        return 45;
    default:
        return 0;
    }
}

bool IsRule(const forms::Frame& frame) {
    return frame.Caption().empty() && frame.Height() <= 150;
}

class SyncGuard {
public:
    explicit SyncGuard(int& counter) : counter_(counter) { ++counter_; }
    ~SyncGuard() { --counter_; }
    SyncGuard(const SyncGuard&) = delete;
    SyncGuard& operator=(const SyncGuard&) = delete;

private:
    int& counter_;
};

QLineEdit* EditOf(QWidget* widget) {
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        return edit;
    }
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        return combo->lineEdit();
    }
    return nullptr;
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

FormWindow::FormWindow(forms::Form& form, QWidget* parent) : QDialog(parent), form_(&form) {
    setObjectName(Q(form.Name()));
    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(11);
    setFont(font);
    listener_ = form.Subscribe([this](const ChangeEvent& event) { OnChange(event); });
    Build();
}

FormWindow::~FormWindow() {
    Detach();
    if (form_ != nullptr) {
        form_->Unsubscribe(listener_);
    }
}

void FormWindow::Detach() {
    // Widgets die after this object's members: they must not reach it any more.
    for (auto& [object, control] : controls_) {
        const_cast<QObject*>(object)->removeEventFilter(this);
        QObject::disconnect(object, nullptr, this, nullptr);
    }
    controls_.clear();
    widgets_.clear();
    items_.clear();
    nodes_.clear();
}

QWidget* FormWindow::WidgetFor(const forms::Control& control) const {
    auto it = widgets_.find(&control);
    return it == widgets_.end() ? nullptr : it->second;
}

QWidget* FormWindow::WidgetFor(const std::string& name) const {
    if (form_ == nullptr) {
        return nullptr;
    }
    const forms::Control* control = form_->FindControl(name);
    return control != nullptr ? WidgetFor(*control) : nullptr;
}

QTreeWidgetItem* FormWindow::ItemFor(const forms::Node& node) const {
    auto it = items_.find(&node);
    return it == items_.end() ? nullptr : it->second;
}

void FormWindow::Build() {
    SyncGuard guard(syncing_);
    setWindowTitle(Q(form_->Caption()));
    const QSize client(ToPixels(form_->ScaleWidth()), ToPixels(form_->ScaleHeight()));
    if (form_->BorderStyle() == forms::BorderStyle::FixedDialog) {
        setFixedSize(client);
    } else {
        resize(client);
    }
    QWidget* previous = nullptr;
    for (forms::Control* control : form_->Controls()) {
        QWidget* widget = EnsureWidget(*control);
        if (widget != nullptr && control->TakesFocus()) {
            if (previous != nullptr) {
                QWidget::setTabOrder(previous, widget);
            }
            previous = widget;
        }
    }
    ApplyDefaultButtons();
}

QWidget* FormWindow::EnsureWidget(forms::Control& control) {
    if (auto it = widgets_.find(&control); it != widgets_.end()) {
        return it->second;
    }
    if (!control.HasWindow()) {
        return nullptr;
    }
    QWidget* parent = this;
    if (control.Container() != nullptr) {
        if (QWidget* frame = EnsureWidget(*control.Container())) {
            parent = frame;
        }
    }
    QWidget* widget = nullptr;
    switch (control.Kind()) {
    case forms::ControlKind::Label: {
        auto* label = new QLabel(parent);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        widget = label;
        break;
    }
    case forms::ControlKind::CommandButton: {
        auto* button = new QPushButton(parent);
        button->setAutoDefault(false);
        widget = button;
        break;
    }
    case forms::ControlKind::CheckBox:
        widget = new QCheckBox(parent);
        break;
    case forms::ControlKind::OptionButton: {
        auto* radio = new QRadioButton(parent);
        radio->setAutoExclusive(false); // the model keeps option buttons exclusive
        widget = radio;
        break;
    }
    case forms::ControlKind::TextBox: {
        auto* edit = new QLineEdit(parent);
        edit->setContextMenuPolicy(Qt::NoContextMenu);
        edit->setAcceptDrops(false);
        widget = edit;
        break;
    }
    case forms::ControlKind::ListBox:
        widget = new QListWidget(parent);
        break;
    case forms::ControlKind::ComboBox: {
        auto* combo = new QComboBox(parent);
        combo->setInsertPolicy(QComboBox::NoInsert);
        widget = combo;
        break;
    }
    case forms::ControlKind::TreeView: {
        auto* tree = new QTreeWidget(parent);
        tree->setHeaderHidden(true);
        tree->setColumnCount(1);
        tree->setRootIsDecorated(true);
        tree->setIndentation(16);
        widget = tree;
        break;
    }
    case forms::ControlKind::PictureBox: {
        auto* picture = new QLabel(parent);
        picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        widget = picture;
        break;
    }
    case forms::ControlKind::Frame: {
        auto& frame = static_cast<forms::Frame&>(control);
        if (IsRule(frame)) {
            auto* rule = new QFrame(parent);
            rule->setFrameShape(QFrame::HLine);
            rule->setFrameShadow(QFrame::Sunken);
            widget = rule;
        } else {
            widget = new QGroupBox(parent);
        }
        break;
    }
    case forms::ControlKind::Custom: {
        auto& custom = static_cast<forms::CustomControl&>(control);
        CustomWidgetFactory factory;
        {
            std::lock_guard lock(factoryMutex);
            auto it = Factories().find(custom.TypeName());
            if (it != Factories().end()) {
                factory = it->second;
            }
        }
        widget = factory ? factory(custom, parent) : nullptr;
        if (widget == nullptr) {
            auto* placeholder = new QLabel(Q(custom.TypeName()), parent);
            placeholder->setFrameShape(QFrame::Box);
            placeholder->setAlignment(Qt::AlignCenter);
            widget = placeholder;
        } else {
            widget->setParent(parent);
        }
        break;
    }
    default:
        return nullptr;
    }
    widget->setObjectName(Q(control.Name()));
    if (!control.TakesFocus()) {
        widget->setFocusPolicy(Qt::NoFocus);
    }
    widgets_[&control] = widget;
    Watch(widget, control);
    Connect(control, widget);
    ApplyAll(control);
    return widget;
}

void FormWindow::Watch(QWidget* widget, forms::Control& control) {
    controls_[widget] = &control;
    widget->installEventFilter(this);
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        (void)combo; // its line edit is watched when it is made (ApplyAll)
    }
    if (auto* tree = qobject_cast<QTreeWidget*>(widget)) {
        tree->viewport()->installEventFilter(this);
        controls_[tree->viewport()] = &control;
    }
    if (auto* list = qobject_cast<QListWidget*>(widget)) {
        list->viewport()->installEventFilter(this);
        controls_[list->viewport()] = &control;
    }
}

void FormWindow::Connect(forms::Control& control, QWidget* widget) {
    forms::Control* c = &control;
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
        connect(button, &QPushButton::clicked, this,
                [this, c] { Act(c, [c] { c->UserClick(); }); });
    } else if (auto* check = qobject_cast<QCheckBox*>(widget)) {
        connect(check, &QCheckBox::clicked, this, [this, c] { Act(c, [c] { c->UserClick(); }); });
    } else if (auto* radio = qobject_cast<QRadioButton*>(widget)) {
        connect(radio, &QRadioButton::clicked, this,
                [this, c] { Act(c, [c] { c->UserClick(); }); });
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        WatchCaret(edit, c);
    } else if (auto* list = qobject_cast<QListWidget*>(widget)) {
        auto* model = static_cast<forms::ListBox*>(c);
        connect(list, &QListWidget::currentRowChanged, this, [this, model](int row) {
            if (form_ != nullptr && syncing_ == 0 && row >= 0 && row != model->ListIndex()) {
                Act(model, [model, row] { model->UserSelect(row); });
            }
        });
        connect(list, &QListWidget::itemDoubleClicked, this,
                [this, c] { Act(c, [c] { c->UserDblClick(); }); });
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        auto* model = static_cast<forms::ComboBox*>(c);
        connect(combo, &QComboBox::currentIndexChanged, this, [this, model](int index) {
            if (form_ != nullptr && syncing_ == 0 && index >= 0 && index != model->ListIndex()) {
                Act(model, [model, index] { model->UserSelect(index); });
            }
        });
    } else if (auto* tree = qobject_cast<QTreeWidget*>(widget)) {
        auto* model = static_cast<forms::TreeView*>(c);
        auto click = [this, model](QTreeWidgetItem* item) {
            auto it = nodes_.find(item);
            if (syncing_ == 0 && item != nullptr && it != nodes_.end()) {
                forms::Node* node = it->second;
                Act(model, [model, node] { model->UserClickNode(*node); });
            }
        };
        connect(tree, &QTreeWidget::itemPressed, this, [this, click](QTreeWidgetItem* item) {
            mousePressOnTree_ = false;
            click(item);
        });
        connect(tree, &QTreeWidget::currentItemChanged, this, [this, click](QTreeWidgetItem* item) {
            // A mouse press reports the node through itemPressed.
            if (!mousePressOnTree_) {
                click(item);
            }
        });
        connect(tree, &QTreeWidget::itemDoubleClicked, this,
                [this, c] { Act(c, [c] { c->UserDblClick(); }); });
        auto expand = [this, model](QTreeWidgetItem* item, bool expanded) {
            auto it = nodes_.find(item);
            if (syncing_ == 0 && it != nodes_.end()) {
                forms::Node* node = it->second;
                Act(model, [node, expanded] { node->UserSetExpanded(expanded); });
            }
        };
        connect(tree, &QTreeWidget::itemExpanded, this,
                [expand](QTreeWidgetItem* item) { expand(item, true); });
        connect(tree, &QTreeWidget::itemCollapsed, this,
                [expand](QTreeWidgetItem* item) { expand(item, false); });
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        (void)label; // clicks on labels and pictures arrive through the event filter
    }
}

void FormWindow::WatchCaret(QLineEdit* edit, forms::Control* control) {
    auto take = [this, control] {
        if (form_ != nullptr && syncing_ == 0 && control->IsShown() && control->IsEnabled()) {
            Act(nullptr, [this, control] { TakeSelectionFromWidget(*control); });
        }
    };
    connect(edit, &QLineEdit::cursorPositionChanged, this, take);
    connect(edit, &QLineEdit::selectionChanged, this, take);
}

void FormWindow::Act(forms::Control* control, const std::function<void()>& action) {
    if (form_ == nullptr) {
        return;
    }
    try {
        action();
    } catch (const forms::UserActionRefused&) {
        // The widget let the person do what the model does not allow: show the model again.
    } catch (const std::exception& error) {
        QMessageBox::critical(this, windowTitle(),
                              QStringLiteral("This action could not be completed:\n%1")
                                  .arg(QString::fromUtf8(error.what())));
    } catch (const forms::DriverStop& stop) {
        QMessageBox::critical(this, windowTitle(), QString::fromStdString(stop.Reason()));
    }
    if (control != nullptr && form_ != nullptr && widgets_.count(control) != 0) {
        SyncGuard guard(syncing_);
        ApplyValue(*control);
        ApplyListIndex(*control);
        if (control->Kind() == forms::ControlKind::TreeView) {
            ApplySelectedNode(*control);
        }
    }
}

// --- model -> widgets ---------------------------------------------------------------------

void FormWindow::OnChange(const ChangeEvent& event) {
    if (event.what == What::FormDestroyed) {
        form_->Unsubscribe(listener_);
        form_ = nullptr;
        Detach();
        closingByModel_ = true;
        if (inModal_) {
            done(QDialog::Rejected);
        } else {
            hide();
        }
        emit finishedWithModel();
        return;
    }
    SyncGuard guard(syncing_);
    forms::Control* control = event.control;
    switch (event.what) {
    case What::FormCaption:
        setWindowTitle(Q(form_->Caption()));
        return;
    case What::FormShown:
        return;
    case What::FormHidden:
    case What::FormUnloaded:
        closingByModel_ = true;
        if (inModal_) {
            done(QDialog::Rejected);
        } else {
            hide();
        }
        closingByModel_ = false;
        if (event.what == What::FormUnloaded) {
            emit finishedWithModel();
        }
        return;
    case What::DefaultButton:
    case What::CancelButton:
        ApplyDefaultButtons();
        return;
    case What::Focus:
        ApplyFocus();
        return;
    case What::WindowState:
    case What::WindowPlacement:
        ApplyPlacement();
        return;
    default:
        break;
    }
    if (control == nullptr) {
        return;
    }
    QWidget* widget = WidgetFor(*control);
    if (widget == nullptr) {
        if (event.what == What::Picture && control->Kind() == forms::ControlKind::ImageList) {
            for (forms::Control* other : form_->Controls()) {
                auto* tree = dynamic_cast<forms::TreeView*>(other);
                if (tree != nullptr && tree->ImageList() == control) {
                    ApplyImages(*tree);
                }
            }
        }
        return;
    }
    switch (event.what) {
    case What::Caption:
        ApplyCaption(*control);
        break;
    case What::Text:
    case What::Selection:
        ApplyText(*control);
        break;
    case What::Value:
        ApplyValue(*control);
        break;
    case What::ListIndex:
        ApplyListIndex(*control);
        break;
    case What::Visible:
        widget->setVisible(control->Visible());
        break;
    case What::Enabled:
        widget->setEnabled(control->Enabled());
        break;
    case What::Geometry:
        widget->setGeometry(ToPixels(control->Left()), ToPixels(control->Top()),
                            ToPixels(control->Width()), ToPixels(control->Height()));
        break;
    case What::ToolTip:
        widget->setToolTip(Q(control->ToolTipText()));
        break;
    case What::Picture:
        ApplyPicture(*control);
        break;
    case What::Font:
        ApplyFont(*control);
        break;
    case What::Style:
        ApplyAll(*control);
        break;
    case What::ImageList:
        ApplyImages(*control);
        break;
    case What::ItemInserted: {
        auto& list = static_cast<forms::ListControl&>(*control);
        const QString text = Q(list.List(event.index));
        if (auto* w = qobject_cast<QListWidget*>(widget)) {
            w->insertItem(event.index, text);
        } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            combo->insertItem(event.index, text);
        }
        ApplyListIndex(*control);
        break;
    }
    case What::ItemRemoved:
        if (auto* w = qobject_cast<QListWidget*>(widget)) {
            delete w->takeItem(event.index);
        } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            combo->removeItem(event.index);
        }
        ApplyListIndex(*control);
        break;
    case What::ItemChanged: {
        auto& list = static_cast<forms::ListControl&>(*control);
        if (auto* w = qobject_cast<QListWidget*>(widget)) {
            w->item(event.index)->setText(Q(list.List(event.index)));
        } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            combo->setItemText(event.index, Q(list.List(event.index)));
        }
        ApplyListIndex(*control);
        break;
    }
    case What::ItemsCleared:
        ApplyItems(*control);
        break;
    case What::NodeAdded:
        AddNodeItem(*event.node);
        break;
    case What::NodeRemoving:
        RemoveNodeItem(*event.node);
        break;
    case What::NodeChanged:
        ApplyNode(*event.node);
        break;
    case What::SelectedNode:
        ApplySelectedNode(*control);
        break;
    default:
        break;
    }
}

void FormWindow::ApplyAll(forms::Control& control) {
    QWidget* widget = WidgetFor(control);
    if (widget == nullptr) {
        return;
    }
    SyncGuard guard(syncing_);
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        const bool editable = static_cast<forms::ComboBox&>(control).GetStyle() ==
                              forms::ComboBox::Style::DropDownCombo;
        if (combo->isEditable() != editable) {
            combo->setEditable(editable);
        }
        if (QLineEdit* edit = combo->lineEdit(); edit != nullptr && controls_.count(edit) == 0) {
            controls_[edit] = &control;
            edit->installEventFilter(this);
            edit->setContextMenuPolicy(Qt::NoContextMenu);
            edit->setAcceptDrops(false);
            WatchCaret(edit, &control);
        }
    }
    if (auto* picture = qobject_cast<QLabel*>(widget);
        picture != nullptr && control.Kind() == forms::ControlKind::PictureBox) {
        const bool border = static_cast<forms::PictureBox&>(control).BorderStyle() == 1;
        picture->setFrameShape(border ? QFrame::Panel : QFrame::NoFrame);
        picture->setFrameShadow(QFrame::Sunken);
    }
    widget->setGeometry(ToPixels(control.Left()), ToPixels(control.Top()),
                        ToPixels(control.Width()), ToPixels(control.Height()));
    widget->setToolTip(Q(control.ToolTipText()));
    widget->setEnabled(control.Enabled());
    ApplyFont(control);
    ApplyCaption(control);
    ApplyPicture(control);
    ApplyItems(control);
    ApplyText(control);
    ApplyValue(control);
    if (auto* tree = dynamic_cast<forms::TreeView*>(&control)) {
        std::vector<forms::Node*> pending(tree->Nodes().Roots().rbegin(),
                                          tree->Nodes().Roots().rend());
        while (!pending.empty()) {
            forms::Node* node = pending.back();
            pending.pop_back();
            AddNodeItem(*node);
            pending.insert(pending.end(), node->ChildNodes().rbegin(), node->ChildNodes().rend());
        }
        ApplySelectedNode(control);
    }
    widget->setVisible(control.Visible());
}

void FormWindow::ApplyCaption(forms::Control& control) {
    QWidget* widget = WidgetFor(control);
    if (auto* label = dynamic_cast<forms::Label*>(&control)) {
        static_cast<QLabel*>(widget)->setText(LabelText(label->Caption()));
    } else if (auto* button = dynamic_cast<forms::CommandButton*>(&control)) {
        static_cast<QPushButton*>(widget)->setText(
            button->Picture().IsEmpty() ? Q(button->Caption()) : QString());
    } else if (auto* check = dynamic_cast<forms::CheckBox*>(&control)) {
        static_cast<QCheckBox*>(widget)->setText(Q(check->Caption()));
    } else if (auto* option = dynamic_cast<forms::OptionButton*>(&control)) {
        static_cast<QRadioButton*>(widget)->setText(Q(option->Caption()));
    } else if (auto* frame = dynamic_cast<forms::Frame*>(&control)) {
        if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            group->setTitle(Q(frame->Caption()));
        }
    }
}

void FormWindow::ApplyText(forms::Control& control) {
    QLineEdit* edit = EditOf(WidgetFor(control));
    const forms::TextEditor* editor = nullptr;
    if (auto* text = dynamic_cast<forms::TextBox*>(&control)) {
        editor = text;
    } else if (auto* combo = dynamic_cast<forms::ComboBox*>(&control)) {
        editor = combo;
        if (edit == nullptr) {
            return; // a drop-down list shows its selected item
        }
    }
    if (edit == nullptr || editor == nullptr) {
        return;
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

void FormWindow::ApplyValue(forms::Control& control) {
    QWidget* widget = WidgetFor(control);
    if (auto* check = dynamic_cast<forms::CheckBox*>(&control)) {
        auto* box = static_cast<QCheckBox*>(widget);
        box->setTristate(check->Value() == 2);
        box->setCheckState(check->Value() == 0   ? Qt::Unchecked
                           : check->Value() == 1 ? Qt::Checked
                                                 : Qt::PartiallyChecked);
    } else if (auto* option = dynamic_cast<forms::OptionButton*>(&control)) {
        static_cast<QRadioButton*>(widget)->setChecked(option->Value());
    }
}

void FormWindow::ApplyListIndex(forms::Control& control) {
    auto* list = dynamic_cast<forms::ListControl*>(&control);
    if (list == nullptr) {
        return;
    }
    QWidget* widget = WidgetFor(control);
    SyncGuard guard(syncing_);
    if (auto* w = qobject_cast<QListWidget*>(widget)) {
        if (w->currentRow() != list->ListIndex()) {
            w->setCurrentRow(list->ListIndex());
        }
        if (list->ListIndex() < 0) {
            w->clearSelection();
        }
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        if (combo->currentIndex() != list->ListIndex()) {
            combo->setCurrentIndex(list->ListIndex());
        }
        ApplyText(control);
    }
}

void FormWindow::ApplyItems(forms::Control& control) {
    auto* list = dynamic_cast<forms::ListControl*>(&control);
    if (list == nullptr) {
        return;
    }
    QWidget* widget = WidgetFor(control);
    QStringList texts;
    for (int i = 0; i < list->ListCount(); ++i) {
        texts << Q(list->List(i));
    }
    if (auto* w = qobject_cast<QListWidget*>(widget)) {
        w->clear();
        w->addItems(texts);
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        combo->clear();
        combo->addItems(texts);
    }
    ApplyListIndex(control);
}

void FormWindow::ApplyPicture(forms::Control& control) {
    QWidget* widget = WidgetFor(control);
    if (auto* button = dynamic_cast<forms::CommandButton*>(&control)) {
        auto* push = static_cast<QPushButton*>(widget);
        const QPixmap pixmap = LoadPicture(button->Picture());
        push->setIcon(pixmap.isNull() ? QIcon() : QIcon(pixmap));
        if (!pixmap.isNull()) {
            push->setIconSize(pixmap.size());
        }
        ApplyCaption(control);
    } else if (auto* picture = dynamic_cast<forms::PictureBox*>(&control)) {
        static_cast<QLabel*>(widget)->setPixmap(LoadPicture(picture->Picture()));
    }
}

void FormWindow::ApplyFont(forms::Control& control) {
    QWidget* widget = WidgetFor(control);
    QFont font = widget->font();
    font.setBold(control.FontBold());
    widget->setFont(font);
}

void FormWindow::ApplyDefaultButtons() {
    if (form_ == nullptr) {
        return;
    }
    for (forms::Control* control : form_->Controls()) {
        if (auto* button = qobject_cast<QPushButton*>(WidgetFor(*control))) {
            // The look only: Enter is routed through the model, never by Qt.
            button->setDefault(form_->DefaultButton() == control);
        }
    }
}

void FormWindow::ApplyFocus() {
    forms::Control* control = form_->ActiveControl();
    QWidget* widget = control != nullptr ? WidgetFor(*control) : nullptr;
    if (widget != nullptr && !widget->hasFocus()) {
        widget->setFocus(Qt::OtherFocusReason);
    }
}

static QIcon NodeIcon(const forms::Node& node) {
    const forms::ImageList* images = node.Tree().ImageList();
    if (images == nullptr || node.Image().empty() || !images->Contains(node.Image())) {
        return {};
    }
    const QPixmap pixmap = LoadPicture(images->Image(node.Image()));
    return pixmap.isNull() ? QIcon() : QIcon(pixmap);
}

void FormWindow::AddNodeItem(forms::Node& node) {
    if (items_.count(&node) != 0) {
        return;
    }
    auto* tree = qobject_cast<QTreeWidget*>(WidgetFor(node.Tree()));
    if (tree == nullptr) {
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
        if (items_.count(sibling) != 0) {
            ++position;
        }
    }
    auto* item = new QTreeWidgetItem();
    item->setText(0, Q(node.Text()));
    item->setIcon(0, NodeIcon(node));
    items_[&node] = item;
    nodes_[item] = &node;
    if (node.Parent() != nullptr && items_.count(node.Parent()) != 0) {
        items_[node.Parent()]->insertChild(position, item);
        items_[node.Parent()]->setExpanded(node.Parent()->Expanded());
    } else {
        tree->insertTopLevelItem(position, item);
    }
    item->setExpanded(node.Expanded());
}

void FormWindow::RemoveNodeItem(forms::Node& node) {
    auto it = items_.find(&node);
    if (it == items_.end()) {
        return;
    }
    QTreeWidgetItem* item = it->second;
    std::vector<const forms::Node*> pending{&node};
    while (!pending.empty()) {
        const forms::Node* n = pending.back();
        pending.pop_back();
        if (auto found = items_.find(n); found != items_.end()) {
            nodes_.erase(found->second);
            items_.erase(found);
        }
        pending.insert(pending.end(), n->ChildNodes().begin(), n->ChildNodes().end());
    }
    delete item;
}

void FormWindow::ApplyNode(forms::Node& node) {
    QTreeWidgetItem* item = ItemFor(node);
    if (item == nullptr) {
        return;
    }
    item->setText(0, Q(node.Text()));
    item->setIcon(0, NodeIcon(node));
    item->setExpanded(node.Expanded());
}

void FormWindow::ApplySelectedNode(forms::Control& control) {
    auto* tree = dynamic_cast<forms::TreeView*>(&control);
    auto* widget = qobject_cast<QTreeWidget*>(WidgetFor(control));
    if (tree == nullptr || widget == nullptr) {
        return;
    }
    SyncGuard guard(syncing_);
    QTreeWidgetItem* item =
        tree->SelectedItem() != nullptr ? ItemFor(*tree->SelectedItem()) : nullptr;
    if (widget->currentItem() != item) {
        widget->setCurrentItem(item);
    }
    if (item == nullptr) {
        widget->clearSelection();
    } else if (!item->isSelected()) {
        item->setSelected(true);
    }
}

void FormWindow::ApplyImages(forms::Control& control) {
    auto* tree = dynamic_cast<forms::TreeView*>(&control);
    if (tree == nullptr) {
        return;
    }
    for (auto& [node, item] : items_) {
        if (&node->Tree() == tree) {
            item->setIcon(0, NodeIcon(*node));
        }
    }
}

// --- window -------------------------------------------------------------------------------

void FormWindow::ApplyNormalGeometry() {
    SyncGuard guard(syncing_);
    // The frame around the client area: the real one once the window is shown, before that
    // the one the model was given.
    int extraWidth = ToPixels(form_->Width() - form_->ScaleWidth());
    int extraHeight = ToPixels(form_->Height() - form_->ScaleHeight());
    if (isVisible()) {
        extraWidth = frameGeometry().width() - geometry().width();
        extraHeight = frameGeometry().height() - geometry().height();
    }
    move(ToPixels(form_->Left()), ToPixels(form_->Top()));
    if (form_->BorderStyle() == forms::BorderStyle::FixedDialog) {
        setFixedSize(ToPixels(form_->ScaleWidth()), ToPixels(form_->ScaleHeight()));
    } else {
        resize(std::max(1, ToPixels(form_->Width()) - extraWidth),
               std::max(1, ToPixels(form_->Height()) - extraHeight));
    }
}

void FormWindow::ApplyPlacement() {
    if (form_ == nullptr) {
        return;
    }
    SyncGuard guard(syncing_);
    auto applyNormalGeometry = [this] { ApplyNormalGeometry(); };
    Qt::WindowStates target = Qt::WindowNoState;
    if (form_->WindowState() == forms::WindowState::Maximized) {
        target = Qt::WindowMaximized;
    } else if (form_->WindowState() == forms::WindowState::Minimized) {
        target = Qt::WindowMinimized;
    }
    if (target == Qt::WindowNoState) {
        if (windowState() != Qt::WindowNoState) {
            setWindowState(Qt::WindowNoState);
        }
        applyNormalGeometry();
        return;
    }
    // The normal placement is what the window returns to when restored.
    if (windowState() == Qt::WindowNoState) {
        applyNormalGeometry();
    }
    setWindowState(target);
}

void FormWindow::SyncShown() {
    if (form_ == nullptr) {
        return;
    }
    if (form_->Visible()) {
        ApplyPlacement();
        show();
        ApplyFocus();
        ReportGeometry();
    } else {
        hide();
    }
}

void FormWindow::RunModal() {
    if (form_ == nullptr || !form_->Visible()) {
        return;
    }
    {
        SyncGuard guard(syncing_);
        ApplyPlacement();
    }
    inModal_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            ApplyFocus();
            ReportGeometry();
        },
        Qt::QueuedConnection);
    exec();
    inModal_ = false;
}

void FormWindow::ReportGeometry() {
    if (form_ == nullptr || syncing_ != 0 || !isVisible()) {
        return;
    }
    const QRect frame = frameGeometry();
    const QRect inner = geometry();
    forms::WindowState state = forms::WindowState::Normal;
    if (windowState() & Qt::WindowMinimized) {
        state = forms::WindowState::Minimized;
    } else if (windowState() & Qt::WindowMaximized) {
        state = forms::WindowState::Maximized;
    }
    Act(nullptr, [&] {
        form_->WindowChanged(ToTwips(frame.x()), ToTwips(frame.y()), ToTwips(frame.width()),
                             ToTwips(frame.height()), ToTwips(inner.width()),
                             ToTwips(inner.height()), state);
    });
}

void FormWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    ReportGeometry();
}

void FormWindow::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    ReportGeometry();
}

void FormWindow::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        const auto oldState = static_cast<QWindowStateChangeEvent*>(event)->oldState();
        if (form_ != nullptr && syncing_ == 0 && windowState() == Qt::WindowNoState &&
            (oldState & (Qt::WindowMaximized | Qt::WindowMinimized)) != 0 &&
            form_->WindowState() != forms::WindowState::Normal) {
            // Restored: back to the placement the form kept while it was maximized.
            ApplyNormalGeometry();
        }
        ReportGeometry();
    }
}

void FormWindow::closeEvent(QCloseEvent* event) {
    if (closingByModel_ || form_ == nullptr || !form_->Loaded()) {
        event->accept();
        return;
    }
    // The person closed the window: the form decides (QueryUnload may refuse).
    event->ignore();
    Act(nullptr, [this] { form_->UserClose(); });
}

void FormWindow::reject() {
    if (closingByModel_ || form_ == nullptr) {
        QDialog::reject();
    }
}

void FormWindow::accept() {
    if (closingByModel_ || form_ == nullptr) {
        QDialog::accept();
    }
}

void FormWindow::keyPressEvent(QKeyEvent* event) {
    // Enter or Esc with the focus on no control of the form: the buttons decide.
    if (form_ != nullptr && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
                             event->key() == Qt::Key_Escape)) {
        forms::CommandButton* button =
            event->key() == Qt::Key_Escape ? form_->CancelButton() : form_->DefaultButton();
        if (button != nullptr && button->IsShown() && button->IsEnabled()) {
            Act(button, [button] {
                if (button->Click) {
                    button->Click();
                }
            });
        }
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// --- widgets -> model ---------------------------------------------------------------------

void FormWindow::TakeSelectionFromWidget(forms::Control& control) {
    QLineEdit* edit = EditOf(WidgetFor(control));
    if (edit == nullptr) {
        return;
    }
    const QString text = edit->text();
    int start = edit->cursorPosition();
    int length = 0;
    if (edit->hasSelectedText()) {
        start = edit->selectionStart();
        length = static_cast<int>(edit->selectedText().size());
    }
    const int cpStart = ToCodePoints(text, start);
    const int cpLength = ToCodePoints(text, start + length) - cpStart;
    if (auto* box = dynamic_cast<forms::TextBox*>(&control)) {
        box->UserSetSelection(cpStart, cpLength);
    } else if (auto* combo = dynamic_cast<forms::ComboBox*>(&control)) {
        combo->UserSetSelection(cpStart, cpLength);
    }
}

bool FormWindow::HandleKey(forms::Control& control, QKeyEvent* event, bool textInput) {
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
        const int code = key == Qt::Key_Escape ? forms::kKeyEscape : forms::kKeyReturn;
        Act(&control, [&control, code] { control.UserKeyDown(code); });
        return true;
    }
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
        return false;
    }
    if (!textInput) {
        // Navigation keys reach the control's KeyDown, then the widget handles them.
        const int code = KeyCode(event);
        if (code != 0 && code != 32 && control.KeyDown) {
            Act(&control, [&control, code] { control.UserKeyDown(code); });
        }
        return false;
    }
    auto* box = dynamic_cast<forms::TextBox*>(&control);
    auto* combo = dynamic_cast<forms::ComboBox*>(&control);
    auto type = [&](const std::string& text) {
        Act(&control, [&] {
            TakeSelectionFromWidget(control);
            if (box != nullptr) {
                box->UserType(text);
            } else if (combo != nullptr) {
                combo->UserType(text);
            }
        });
    };
    if (event->matches(QKeySequence::Paste)) {
        const std::string text = QApplication::clipboard()->text().toStdString();
        Act(&control, [&] {
            TakeSelectionFromWidget(control);
            if (box != nullptr) {
                box->UserPaste(text);
            } else if (combo != nullptr) {
                combo->UserPaste(text);
            }
        });
        return true;
    }
    if (event->matches(QKeySequence::Cut) || key == Qt::Key_Delete) {
        QLineEdit* edit = EditOf(WidgetFor(control));
        if (event->matches(QKeySequence::Cut)) {
            if (edit == nullptr || !edit->hasSelectedText()) {
                return true;
            }
            QApplication::clipboard()->setText(edit->selectedText());
        }
        Act(&control, [&] {
            TakeSelectionFromWidget(control);
            if (box != nullptr) {
                box->UserDelete();
            } else if (combo != nullptr) {
                combo->UserDelete();
            }
        });
        return true;
    }
    if (event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo)) {
        return true; // edits go through the model only
    }
    if (key == Qt::Key_Backspace) {
        type("\b");
        return true;
    }
    const QString text = event->text();
    const bool command = (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) != 0;
    if (!command && !text.isEmpty() && text[0].isPrint()) {
        type(text.toStdString());
        return true;
    }
    const int code = KeyCode(event);
    if (code != 0 && control.KeyDown) {
        Act(&control, [&control, code] { control.UserKeyDown(code); });
    }
    return false; // caret moves, select all, copy: the widget's own
}

bool FormWindow::eventFilter(QObject* watched, QEvent* event) {
    auto it = controls_.find(watched);
    if (it == controls_.end() || form_ == nullptr) {
        return QDialog::eventFilter(watched, event);
    }
    forms::Control& control = *it->second;
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool textInput = qobject_cast<QLineEdit*>(watched) != nullptr ||
                               (qobject_cast<QComboBox*>(watched) != nullptr &&
                                static_cast<QComboBox*>(watched)->isEditable());
        return HandleKey(control, key, textInput);
    }
    case QEvent::InputMethod: {
        auto* input = static_cast<QInputMethodEvent*>(event);
        if (!input->commitString().isEmpty() && EditOf(WidgetFor(control)) != nullptr) {
            const std::string text = input->commitString().toStdString();
            Act(&control, [&] {
                TakeSelectionFromWidget(control);
                if (auto* box = dynamic_cast<forms::TextBox*>(&control)) {
                    box->UserType(text);
                } else if (auto* combo = dynamic_cast<forms::ComboBox*>(&control)) {
                    combo->UserType(text);
                }
            });
            return true;
        }
        return false;
    }
    case QEvent::FocusIn:
        if (syncing_ == 0 && control.TakesFocus()) {
            form_->FocusChanged(&control);
        }
        return false;
    case QEvent::MouseButtonPress:
        if (control.Kind() == forms::ControlKind::TreeView) {
            mousePressOnTree_ = true;
        }
        return false;
    case QEvent::MouseButtonRelease:
        if (control.Kind() == forms::ControlKind::TreeView) {
            mousePressOnTree_ = false;
        }
        if ((control.Kind() == forms::ControlKind::Label ||
             control.Kind() == forms::ControlKind::PictureBox) &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            Act(&control, [&control] { control.UserClick(); });
        }
        return false;
    case QEvent::MouseButtonDblClick:
        if (control.Kind() == forms::ControlKind::Label ||
            control.Kind() == forms::ControlKind::PictureBox) {
            Act(&control, [&control] { control.UserDblClick(); });
        }
        return false;
    default:
        return false;
    }
}

} // namespace foliant::qt
