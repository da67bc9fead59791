#pragma once

#include "platform/forms/Backend.h"

#include <QPointer>
#include <QWidget>
#include <map>

namespace foliant::qt {

class FormWindow;

// The backend for people: forms become FormWindows, modal shows run QDialog::exec, message
// boxes are QMessageBoxes and file dialogs QFileDialogs. Needs a QApplication on this thread.
// With an owner, every form's window belongs to it and stays over it (a program's main window
// when the forms are shown on that program's behalf).
class QtBackend : public forms::Backend {
public:
    explicit QtBackend(QWidget* owner = nullptr);
    ~QtBackend() override;

    void RunModal(forms::Form& form) override;
    void ShowModeless(forms::Form& form) override;
    int MsgBox(const forms::MessageBoxRequest& request) override;
    std::optional<std::string> FileDialog(const forms::FileDialogRequest& request) override;
    int ScreenWidth() const override;
    int ScreenHeight() const override;
    std::vector<forms::Rect> Screens() const override;
    forms::FrameExtents Frame(const forms::Form& form) const override;

    // The window showing a form, or null.
    FormWindow* WindowOf(const forms::Form& form) const;

private:
    FormWindow* Window(forms::Form& form);
    void Dispose(const forms::Form* form);
    std::map<const forms::Form*, QPointer<FormWindow>> windows_;
    QPointer<QWidget> owner_;
};

// "Vellum Reports (*.rpt) | *.rpt" -> "Vellum Reports (*.rpt)"; pairs joined by ";;".
QString ToQtFilter(const std::string& filter);

} // namespace foliant::qt
