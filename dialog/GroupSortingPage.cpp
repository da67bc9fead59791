// Page 4: group sorting.
#include "dialog/frmWizard.h"
#include "wizard/WizardState.h"

namespace foliant::Wizard {

void FillTopNGroupCombo() {
    dialog::frmWizard& f = WizardForm();
    const WizardState& s = State();
    f.TopNGroupCombo.Clear();
    int g = 0;
    for (forms::Node* node = f.GroupTreeView.Nodes().Item(1).Child(); node != nullptr;
         node = node->Child()) {
        ++g;
        if (g <= s.GroupSummaryCount.UBound() && s.GroupSummaryCount(g) > 0) {
            f.TopNGroupCombo.AddItem(node->Text());
            f.TopNGroupCombo.SetItemData(f.TopNGroupCombo.NewIndex(), g);
        }
    }
    if (f.TopNGroupCombo.ListCount() > 0) {
        f.TopNGroupCombo.SetListIndex(0);
        f.TopNSortCombo.SetListIndex(s.GroupSortKind(f.TopNGroupCombo.ItemData(0)));
    }
}

void ApplyTopNLayout(int k) {
    dialog::frmWizard& f = WizardForm();
    const bool sortAll = k != 0 && k != 1;
    f.TopNTotalADFrame.SetVisible(sortAll);
    f.TopNAscendingOption.SetVisible(sortAll);
    f.TopNDescendingOption.SetVisible(sortAll);
    f.TopNWhereNIsLabel.SetVisible(!sortAll);
    f.TopNText.SetVisible(!sortAll);
    f.TopNIncludeOthersCheck.SetVisible(!sortAll);
    f.TopNOthersText.SetVisible(!sortAll && f.TopNIncludeOthersCheck.Value() == 1);
    f.TopNTotalCombo.SetVisible(true);
}

} // namespace foliant::Wizard
