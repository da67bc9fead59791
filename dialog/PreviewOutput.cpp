// The preview output of Finish: the current report in the preview window.

#include "dialog/frmWizard.h"
#include "preview/QuickView.h"
#include "wizard/WizardState.h"

namespace foliant::Wizard {

void ShowPreview() {
    preview::ShowQuickView(State().CurrentReport);
}

} // namespace foliant::Wizard
