#include "ui/qt/InputTranslator.h"

#include "platform/forms/Controls.h"
#include "platform/forms/Form.h"
#include "platform/forms/FormsError.h"
#include "platform/forms/TreeView.h"
#include "ui/qt/FormWidgets.h"
#include "ui/qt/ModelSync.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QTreeWidget>

namespace foliant::qt {

using forms::ControlKind;

namespace {

int ToCodePoints(const QString& text, int units) {
    return static_cast<int>(text.left(units).toUcs4().size());
}

// The key code a key press gives a KeyDown handler, 0 for keys without one.
int KeyCode(const QKeyEvent* event) {
    const int key = event->key();
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) {
        return key; // same codes
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

bool IsEnterOrEsc(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

bool ClickableByMouse(const forms::Control& control) {
    return control.Kind() == ControlKind::Label || control.Kind() == ControlKind::PictureBox;
}

} // namespace

InputTranslator::InputTranslator(QWidget& window, FormWidgets& widgets, ModelSync& sync)
    : window_(window), widgets_(widgets), sync_(sync) {}

void InputTranslator::Wire(forms::Control& control, QWidget& widget) {
    widget.installEventFilter(this);
    forms::Control* c = &control;
    switch (control.Kind()) {
    case ControlKind::CommandButton:
    case ControlKind::CheckBox:
    case ControlKind::OptionButton:
        connect(static_cast<QAbstractButton*>(&widget), &QAbstractButton::clicked, this,
                [this, c] { Act(c, [c] { c->UserClick(); }); });
        break;
    case ControlKind::ListBox:
        ConnectList(control, widget);
        break;
    case ControlKind::ComboBox:
        ConnectCombo(control, widget);
        break;
    case ControlKind::TreeView:
        ConnectTree(control, widget);
        break;
    default:
        break; // clicks on labels and pictures arrive through the event filter
    }
    if (QLineEdit* edit = widgets_.Edit(control)) {
        WireEdit(control, *edit);
    }
}

void InputTranslator::WireEdit(forms::Control& control, QLineEdit& edit) {
    edit.installEventFilter(this);
    auto take = [this, c = &control] {
        if (widgets_.Form() != nullptr && !widgets_.Syncing() && c->IsShown() && c->IsEnabled()) {
            Act(nullptr, [this, c] { TakeSelection(*c); });
        }
    };
    connect(&edit, &QLineEdit::cursorPositionChanged, this, take);
    connect(&edit, &QLineEdit::selectionChanged, this, take);
}

void InputTranslator::Unwire() {
    for (QObject* object : widgets_.Watched()) {
        object->removeEventFilter(this);
        QObject::disconnect(object, nullptr, this, nullptr);
    }
}

void InputTranslator::ConnectList(forms::Control& control, QWidget& widget) {
    auto* list = static_cast<QListWidget*>(&widget);
    list->viewport()->installEventFilter(this);
    widgets_.AddPart(list->viewport(), control);
    auto* model = static_cast<forms::ListBox*>(&control);
    connect(list, &QListWidget::currentRowChanged, this, [this, model](int row) {
        if (widgets_.Form() != nullptr && !widgets_.Syncing() && row >= 0 &&
            row != model->ListIndex()) {
            Act(model, [model, row] { model->UserSelect(row); });
        }
    });
    connect(list, &QListWidget::itemDoubleClicked, this,
            [this, model] { Act(model, [model] { model->UserDblClick(); }); });
}

void InputTranslator::ConnectCombo(forms::Control& control, QWidget& widget) {
    auto* model = static_cast<forms::ComboBox*>(&control);
    connect(static_cast<QComboBox*>(&widget), &QComboBox::currentIndexChanged, this,
            [this, model](int index) {
                if (widgets_.Form() != nullptr && !widgets_.Syncing() && index >= 0 &&
                    index != model->ListIndex()) {
                    Act(model, [model, index] { model->UserSelect(index); });
                }
            });
}

void InputTranslator::ConnectTree(forms::Control& control, QWidget& widget) {
    auto* tree = static_cast<QTreeWidget*>(&widget);
    tree->viewport()->installEventFilter(this);
    widgets_.AddPart(tree->viewport(), control);
    forms::Control* c = &control;
    connect(tree, &QTreeWidget::itemPressed, this, [this, c](QTreeWidgetItem* item) {
        mousePressOnTree_ = false;
        ClickTreeItem(*c, item);
    });
    connect(tree, &QTreeWidget::currentItemChanged, this, [this, c](QTreeWidgetItem* item) {
        if (!mousePressOnTree_) {
            ClickTreeItem(*c, item);
        }
    });
    connect(tree, &QTreeWidget::itemDoubleClicked, this,
            [this, c] { Act(c, [c] { c->UserDblClick(); }); });
    connect(tree, &QTreeWidget::itemExpanded, this,
            [this, c](QTreeWidgetItem* item) { ExpandTreeItem(*c, item, true); });
    connect(tree, &QTreeWidget::itemCollapsed, this,
            [this, c](QTreeWidgetItem* item) { ExpandTreeItem(*c, item, false); });
}

void InputTranslator::ClickTreeItem(forms::Control& tree, QTreeWidgetItem* item) {
    forms::Node* node = widgets_.NodeOf(item);
    if (widgets_.Syncing() || node == nullptr) {
        return;
    }
    auto* model = static_cast<forms::TreeView*>(&tree);
    Act(model, [model, node] { model->UserClickNode(*node); });
}

void InputTranslator::ExpandTreeItem(forms::Control& tree, QTreeWidgetItem* item, bool expanded) {
    forms::Node* node = widgets_.NodeOf(item);
    if (!widgets_.Syncing() && node != nullptr) {
        Act(&tree, [node, expanded] { node->UserSetExpanded(expanded); });
    }
}

void InputTranslator::Act(forms::Control* control, const std::function<void()>& action) {
    if (widgets_.Form() == nullptr) {
        return;
    }
    try {
        action();
    } catch (const forms::UserActionRefused&) {
        // Shown below: the model's state replaces what the widget did.
    } catch (const std::exception& error) {
        QMessageBox::critical(&window_, window_.windowTitle(),
                              QStringLiteral("This action could not be completed:\n%1")
                                  .arg(QString::fromUtf8(error.what())));
    } catch (const forms::DriverStop& stop) {
        QMessageBox::critical(&window_, window_.windowTitle(),
                              QString::fromStdString(stop.Reason()));
    }
    if (control != nullptr && widgets_.Form() != nullptr) {
        sync_.ShowState(*control);
    }
}

// --- keyboard and mouse -------------------------------------------------------------------

bool InputTranslator::eventFilter(QObject* watched, QEvent* event) {
    forms::Control* control = widgets_.Owner(watched);
    if (control == nullptr || widgets_.Form() == nullptr) {
        return QObject::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::KeyPress:
        return HandleKey(*control, static_cast<QKeyEvent*>(event));
    case QEvent::InputMethod: {
        const QString commit = static_cast<QInputMethodEvent*>(event)->commitString();
        if (commit.isEmpty() || widgets_.Edit(*control) == nullptr) {
            return false;
        }
        Type(*control, *control->Editor(), commit.toStdString());
        return true;
    }
    case QEvent::FocusIn:
        if (!widgets_.Syncing() && control->TakesFocus()) {
            widgets_.Form()->FocusChanged(control);
        }
        return false;
    default:
        return HandleMouse(*control, event);
    }
}

bool InputTranslator::HandleMouse(forms::Control& control, QEvent* event) {
    const bool tree = control.Kind() == ControlKind::TreeView;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (tree) {
            mousePressOnTree_ = true;
        }
        break;
    case QEvent::MouseButtonRelease:
        if (tree) {
            mousePressOnTree_ = false;
        }
        if (ClickableByMouse(control) &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            Act(&control, [&control] { control.UserClick(); });
        }
        break;
    case QEvent::MouseButtonDblClick:
        if (ClickableByMouse(control)) {
            Act(&control, [&control] { control.UserDblClick(); });
        }
        break;
    default:
        break;
    }
    return false;
}

bool InputTranslator::HandleKey(forms::Control& control, QKeyEvent* event) {
    const int key = event->key();
    if (IsEnterOrEsc(key)) {
        const int code = key == Qt::Key_Escape ? forms::kKeyEscape : forms::kKeyReturn;
        Act(&control, [&control, code] { control.UserKeyDown(code); });
        return true;
    }
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
        return false;
    }
    forms::TextEditor* editor = control.Editor();
    if (editor != nullptr && editor->HasEditField()) {
        return HandleEditKey(control, *editor, event);
    }
    // Navigation keys reach the control's KeyDown, then the widget handles them.
    const int code = KeyCode(event);
    if (code != 0 && code != 32 && control.KeyDown) {
        Act(&control, [&control, code] { control.UserKeyDown(code); });
    }
    return false;
}

// Edits reach the text only through the model; what the widget keeps for itself are caret
// moves, select all and copy.
bool InputTranslator::HandleEditKey(forms::Control& control, forms::TextEditor& editor,
                                    QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste)) {
        const std::string text = QApplication::clipboard()->text().toStdString();
        Act(&control, [&] {
            TakeSelection(control);
            editor.UserPaste(text);
        });
        return true;
    }
    const bool cut = event->matches(QKeySequence::Cut);
    if (cut || event->key() == Qt::Key_Delete) {
        if (cut) {
            QLineEdit* edit = widgets_.Edit(control);
            if (edit == nullptr || !edit->hasSelectedText()) {
                return true;
            }
            QApplication::clipboard()->setText(edit->selectedText());
        }
        Act(&control, [&] {
            TakeSelection(control);
            editor.UserDelete();
        });
        return true;
    }
    if (event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo)) {
        return true;
    }
    if (event->key() == Qt::Key_Backspace) {
        Type(control, editor, "\b");
        return true;
    }
    const QString text = event->text();
    const bool command = (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) != 0;
    if (!command && !text.isEmpty() && text[0].isPrint()) {
        Type(control, editor, text.toStdString());
        return true;
    }
    const int code = KeyCode(event);
    if (code != 0 && control.KeyDown) {
        Act(&control, [&control, code] { control.UserKeyDown(code); });
    }
    return false;
}

void InputTranslator::Type(forms::Control& control, forms::TextEditor& editor,
                           const std::string& text) {
    Act(&control, [&] {
        TakeSelection(control);
        editor.UserType(text);
    });
}

void InputTranslator::TakeSelection(forms::Control& control) {
    QLineEdit* edit = widgets_.Edit(control);
    forms::TextEditor* editor = control.Editor();
    if (edit == nullptr || editor == nullptr) {
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
    editor->UserSetSelection(cpStart, cpLength);
}

} // namespace foliant::qt
