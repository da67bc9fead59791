// Help: the help window the wizard opened.
#include "dialog/frmWizard.h"
#include "platform/shell/Shell.h"
#include "wizard/WizardState.h"

namespace foliant::Wizard {

void CloseHelpWindow() {
    const WizardState& s = State();
    if (s.HelpWindow == 0) {
        return;
    }
    // The handle is kept: a close addressed to a window that has gone does nothing.
    shell::SendMessageA(static_cast<shell::HWND>(s.HelpWindow), shell::WM_CLOSE, 0, 0);
    // Give the help viewer a moment to go before the dialog does.
    shell::Sleep(40);
}

} // namespace foliant::Wizard
