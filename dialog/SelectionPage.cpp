// Page 5: record selection.
#include "dialog/frmWizard.h"

namespace foliant::Wizard {

void HideConditionControls() {
    dialog::frmWizard& f = WizardForm();
    f.RemoveSelect.SetEnabled(false);
    for (forms::Control* control : std::initializer_list<forms::Control*>{
             &f.ConditionCombo, &f.ConditionTextCombo, &f.ConditionList, &f.ConditionDel,
             &f.SecondConditionText, &f.AndLabel}) {
        control->SetVisible(false);
    }
}

bool CheckSelectionFormula() {
    // Without filtered fields the record selection formula is empty, which the engine always
    // accepts. Building and checking a formula from filtered fields belongs to the formula
    // builder, which replaces this routine.
    return true;
}

} // namespace foliant::Wizard
