#pragma once

#include "platform/forms/Form.h"

#include <QDialog>
#include <QPixmap>
#include <functional>
#include <string>
#include <unordered_map>

class QLineEdit;
class QTreeWidgetItem;

namespace foliant::forms {
class Control;
class CustomControl;
class Node;
struct Picture;
} // namespace foliant::forms

namespace foliant::qt {

// Twips to pixels and back (15 twips to the pixel at 96 dpi).
int ToPixels(int twips);
int ToTwips(int pixels);

// The picture's image through the application's picture provider; null when it has none.
QPixmap LoadPicture(const forms::Picture& picture);

// Makes the widget of an outside control (forms::CustomControl) by its type name.
using CustomWidgetFactory = std::function<QWidget*(forms::CustomControl& control, QWidget* parent)>;
void RegisterCustomWidget(const std::string& typeName, CustomWidgetFactory factory);

// A form shown as a real dialog: each control a widget at its twip position, kept in sync with
// the model in both directions. Model changes arrive as the form's change announcements; real
// mouse and keyboard input is turned into the model's user actions, so a person gets exactly
// the handlers the headless tests run. Enter and Esc follow the form's default and cancel
// buttons, never Qt's own.
class FormWindow : public QDialog {
    Q_OBJECT
public:
    explicit FormWindow(forms::Form& form, QWidget* parent = nullptr);
    ~FormWindow() override;

    // The model form, or null once it has been destroyed.
    forms::Form* Model() const noexcept { return form_; }
    // The widget showing a control (null for controls without a window).
    QWidget* WidgetFor(const forms::Control& control) const;
    QWidget* WidgetFor(const std::string& name) const;
    // The tree item showing a node.
    QTreeWidgetItem* ItemFor(const forms::Node& node) const;

    // Shows the window modally until the model form is hidden or unloaded.
    void RunModal();
    bool InModal() const noexcept { return inModal_; }
    // Shows or hides the window as the model says (modeless forms).
    void SyncShown();
    // Places the window where the model says.
    void ApplyPlacement();

signals:
    // The model form was unloaded or destroyed.
    void finishedWithModel();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;

public slots:
    void reject() override;
    void accept() override;

private:
    void Build();
    void Detach();
    QWidget* EnsureWidget(forms::Control& control);
    void Watch(QWidget* widget, forms::Control& control);
    void Connect(forms::Control& control, QWidget* widget);
    void WatchCaret(QLineEdit* edit, forms::Control* control);
    void OnChange(const forms::ChangeEvent& event);
    void ApplyAll(forms::Control& control);
    void ApplyCaption(forms::Control& control);
    void ApplyText(forms::Control& control);
    void ApplyValue(forms::Control& control);
    void ApplyListIndex(forms::Control& control);
    void ApplyItems(forms::Control& control);
    void ApplyPicture(forms::Control& control);
    void ApplyFont(forms::Control& control);
    void ApplyDefaultButtons();
    void ApplyFocus();
    void AddNodeItem(forms::Node& node);
    void RemoveNodeItem(forms::Node& node);
    void ApplyNode(forms::Node& node);
    void ApplySelectedNode(forms::Control& tree);
    void ApplyImages(forms::Control& tree);
    bool HandleKey(forms::Control& control, QKeyEvent* event, bool textInput);
    void TakeSelectionFromWidget(forms::Control& control);
    void ReportGeometry();
    void ApplyNormalGeometry();
    // Runs a user action; a refusal re-syncs the widget, any other error is shown to the
    // person instead of escaping into Qt's event loop.
    void Act(forms::Control* control, const std::function<void()>& action);

    forms::Form* form_;
    forms::Form::ListenerId listener_ = 0;
    std::unordered_map<const forms::Control*, QWidget*> widgets_;
    std::unordered_map<const QObject*, forms::Control*> controls_;
    std::unordered_map<const forms::Node*, QTreeWidgetItem*> items_;
    std::unordered_map<const QTreeWidgetItem*, forms::Node*> nodes_;
    int syncing_ = 0;
    bool inModal_ = false;
    bool closingByModel_ = false;
    bool mousePressOnTree_ = false;
};

} // namespace foliant::qt
