#pragma once

#include <QObject>
#include <functional>

class QKeyEvent;
class QLineEdit;
class QTreeWidgetItem;
class QWidget;

namespace foliant::forms {
class Control;
class TextEditor;
} // namespace foliant::forms

namespace foliant::qt {

class FormWidgets;
class ModelSync;

// Turns a person's mouse and keyboard input on a form's widgets into the model's user actions,
// so a person gets exactly the handlers the headless tests run. Text is never edited by the
// widgets themselves: typing, pasting and deleting go to the control's text editor, which then
// shows its text through the sync. Signals the widgets send while the model is being shown are
// not input.
class InputTranslator : public QObject {
    Q_OBJECT
public:
    // `window` is where error messages are shown.
    InputTranslator(QWidget& window, FormWidgets& widgets, ModelSync& sync);

    // Starts taking the input of a control's widget (its parts and line edit included).
    void Wire(forms::Control& control, QWidget& widget);
    // Starts taking the input of a line edit made later (a combo box became editable).
    void WireEdit(forms::Control& control, QLineEdit& edit);
    // Stops taking input from every widget of the form.
    void Unwire();

    // Runs a user action. A refusal shows the model's state in the control's widget again
    // (the widget let the person do what the model does not allow); any other error is shown
    // to the person instead of escaping into Qt's event loop.
    void Act(forms::Control* control, const std::function<void()>& action);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ConnectList(forms::Control& control, QWidget& widget);
    void ConnectCombo(forms::Control& control, QWidget& widget);
    void ConnectTree(forms::Control& control, QWidget& widget);
    void ClickTreeItem(forms::Control& tree, QTreeWidgetItem* item);
    void ExpandTreeItem(forms::Control& tree, QTreeWidgetItem* item, bool expanded);
    bool HandleKey(forms::Control& control, QKeyEvent* event);
    bool HandleEditKey(forms::Control& control, forms::TextEditor& editor, QKeyEvent* event);
    bool HandleMouse(forms::Control& control, QEvent* event);
    // Tells the model where the person put the caret or selection before an edit.
    void TakeSelection(forms::Control& control);
    void Type(forms::Control& control, forms::TextEditor& editor, const std::string& text);

    QWidget& window_;
    FormWidgets& widgets_;
    ModelSync& sync_;
    // A mouse press on a tree reports the node through itemPressed, not the current item change.
    bool mousePressOnTree_ = false;
};

} // namespace foliant::qt
