// Page 2: grouping.
#include "dialog/frmWizard.h"

namespace foliant::Wizard {

void UpdateGroupMoveButtons() {
    dialog::frmWizard& f = WizardForm();
    forms::Node* selected = f.GroupTreeView.SelectedItem();
    forms::Node& root = f.GroupTreeView.Nodes().Item(1);
    if (selected == nullptr || selected == &root) {
        f.CmdGroupDown.SetEnabled(false);
        f.cmdGroupUp.SetEnabled(false);
        return;
    }
    f.CmdGroupDown.SetEnabled(selected->Child() != nullptr);
    f.cmdGroupUp.SetEnabled(selected->Parent() != &root);
}

} // namespace foliant::Wizard
