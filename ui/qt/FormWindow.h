#pragma once

#include "platform/forms/Form.h"
#include "ui/qt/FormWidgets.h"
#include "ui/qt/InputTranslator.h"
#include "ui/qt/ModelSync.h"
#include "ui/qt/WidgetFactory.h"

#include <QDialog>
#include <string>

class QTreeWidgetItem;

namespace foliant::qt {

// A form shown as a real dialog: each control a widget at its twip position, kept in sync with
// the model in both directions. Model changes arrive as the form's change announcements; real
// mouse and keyboard input is turned into the model's user actions, so a person gets exactly
// the handlers the headless tests run. Enter and Esc follow the form's default and cancel
// buttons, never Qt's own.
//
// The window makes the widgets (WidgetFactory), places and shows itself; ModelSync shows the
// model in the widgets and InputTranslator turns input into user actions.
class FormWindow : public QDialog {
    Q_OBJECT
public:
    explicit FormWindow(forms::Form& form, QWidget* parent = nullptr);
    ~FormWindow() override;

    // The model form, or null once it has been destroyed.
    forms::Form* Model() const noexcept { return widgets_.Form(); }
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
    void OnChange(const forms::ChangeEvent& event);
    void OnFormChange(const forms::ChangeEvent& event);
    void CloseByModel();
    void ReportGeometry();
    void ApplyNormalGeometry();
    void SettleFrame();

    FormWidgets widgets_;
    ModelSync sync_;
    InputTranslator input_;
    forms::Form::ListenerId listener_ = 0;
    bool inModal_ = false;
    bool closingByModel_ = false;
};

} // namespace foliant::qt
