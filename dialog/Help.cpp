// Help: the help window the wizard opened.
#include "component/WizardState.h"
#include "dialog/frmWizard.h"

namespace foliant::Wizard {

void CloseHelpWindow() {
    const WizardState& s = State();
    if (s.HelpWindow == 0) {
        return;
    }
    // Asking the help window to close (WM_CLOSE, then a 40 ms wait) goes through the shell
    // layer's SendMessageA and Sleep. No help window can be open before help lookup exists.
}

} // namespace foliant::Wizard
