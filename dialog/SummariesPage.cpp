// Page 3: summaries.
#include "dialog/frmWizard.h"

namespace foliant::Wizard {

void FillGroupCombo() {
    dialog::frmWizard& f = WizardForm();
    f.GroupCombo.Clear();
    for (forms::Node* node = f.GroupTreeView.Nodes().Item(1).Child(); node != nullptr;
         node = node->Child()) {
        f.GroupCombo.AddItem(node->Text());
    }
}

} // namespace foliant::Wizard
