#pragma once

#include "platform/forms/Backend.h"

#include <QPointer>
#include <map>

namespace foliant::qt {

class FormWindow;

// The backend for people: forms become FormWindows, modal shows run QDialog::exec, message
// boxes are QMessageBoxes and file dialogs QFileDialogs. Needs a QApplication on this thread.
class QtBackend : public forms::Backend {
public:
    QtBackend();
    ~QtBackend() override;

    void RunModal(forms::Form& form) override;
    void ShowModeless(forms::Form& form) override;
    int MsgBox(const forms::MessageBoxRequest& request) override;
    std::optional<std::string> FileDialog(const forms::FileDialogRequest& request) override;
    int ScreenWidth() const override;
    int ScreenHeight() const override;
    forms::FrameExtents Frame(const forms::Form& form) const override;

    // The window showing a form, or null.
    FormWindow* WindowOf(const forms::Form& form) const;

private:
    FormWindow* Window(forms::Form& form);
    void Dispose(const forms::Form* form);
    std::map<const forms::Form*, QPointer<FormWindow>> windows_;
};

// "Vellum Reports (*.rpt) | *.rpt" -> "Vellum Reports (*.rpt)"; pairs joined by ";;".
QString ToQtFilter(const std::string& filter);

} // namespace foliant::qt
