// Page 3: summaries. GroupCombo chooses a group; TotalList shows that group's summaries, which
// are its consecutive block in the summary arrays, in the same order. SumCombo offers all 19
// operations for a numeric field (entry index = operation code) and eight for any other field.
#include "dialog/frmWizard.h"
#include "platform/forms/Backend.h"
#include "resources/Resources.h"
#include "wizard/FieldLookup.h"
#include "wizard/GroupData.h"
#include "wizard/WizardState.h"

#include <algorithm>
#include <array>

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

namespace foliant::dialog {

namespace {

using resources::LoadResString;

// An operation's text is the string of id 137 + its code.
constexpr int kFirstOperationText = 137;
constexpr int kPIsText = 191;
constexpr int kNIsText = 273;
constexpr int kIntegerFrom1To32767 = 274;
constexpr int kLargestParameter = 32767;
constexpr std::int32_t kSum = 0;
constexpr std::int32_t kMaximum = 4;
constexpr std::int32_t kPercentile = 14;

// The operations offered for a field that does not hold numbers, in list order.
constexpr std::array<std::int32_t, 8> kTextFieldOperations{4, 5, 6, 9, 15, 16, 17, 18};

bool TakesSecondField(std::int32_t code) {
    return code >= 10 && code <= 12;
}

bool TakesNumber(std::int32_t code) {
    return code == 14 || code == 15 || code == 16 || code == 18;
}

// The entry of SumCombo that shows code, or -1 when the list cannot show it.
int EntryOf(std::int32_t code, bool numeric) {
    if (numeric) {
        return code >= 0 && code <= 18 ? code : -1;
    }
    const auto* at = std::find(kTextFieldOperations.begin(), kTextFieldOperations.end(), code);
    return at == kTextFieldOperations.end() ? -1
                                            : static_cast<int>(at - kTextFieldOperations.begin());
}

// Selects the entry with exactly that text, or none when no entry has it.
void SelectText(ComboBox& combo, const std::string& text) {
    int index = -1;
    for (int i = 0; i < combo.ListCount() && index < 0; ++i) {
        if (combo.List(i) == text) {
            index = i;
        }
    }
    combo.SetListIndex(index);
}

} // namespace

int frmWizard::SummaryGroup() const {
    return GroupCombo.ListIndex() + 1;
}

int frmWizard::SummarySlot() const {
    if (SummaryGroup() < 1 || TotalList.ListIndex() < 0) {
        return 0;
    }
    return Wizard::FirstSummarySlot(SummaryGroup()) + TotalList.ListIndex();
}

void frmWizard::ShowNumberParameter(bool shown) {
    PIsLabel.SetVisible(shown);
    PIsText.SetVisible(shown);
}

void frmWizard::ShowSecondFieldParameter(bool shown) {
    WithLabel.SetVisible(shown);
    SecondSummaryCombo.SetVisible(shown);
}

void frmWizard::GroupCombo_Click() {
    const Wizard::WizardState& s = Wizard::State();
    TotalList.Clear();
    if (const int g = SummaryGroup(); g >= 1) {
        const int first = Wizard::FirstSummarySlot(g);
        for (int i = 0; i < s.GroupSummaryCount(g); ++i) {
            TotalList.AddItem(s.SummaryField(first + i));
        }
    }
    if (TotalList.ListCount() == 0) {
        RemoveTotal.SetEnabled(false);
        if (SumCombo.ListCount() > 0) {
            SumCombo.SetListIndex(0);
        }
        SumCombo.SetEnabled(false);
    } else {
        TotalList.SetListIndex(0);
        RemoveTotal.SetEnabled(true);
        SumCombo.SetEnabled(true);
    }
    DatabaseTreeView.SetFocus();
}

void frmWizard::TotalList_Click() {
    const int slot = SummarySlot();
    if (slot == 0) {
        return;
    }
    const Wizard::WizardState& s = Wizard::State();
    const bool numeric = Wizard::IsNumericField(TotalList.List(TotalList.ListIndex()));
    SumCombo.Clear();
    if (numeric) {
        for (int code = 0; code <= 18; ++code) {
            SumCombo.AddItem(LoadResString(kFirstOperationText + code));
        }
    } else {
        for (const std::int32_t code : kTextFieldOperations) {
            SumCombo.AddItem(LoadResString(kFirstOperationText + code));
        }
    }
    const int entry = EntryOf(s.SummaryOperation(slot), numeric);
    if (entry < 0) {
        forms::MsgBox("programming error", forms::vbOKOnly);
    } else {
        SumCombo.SetListIndex(entry);
    }
    if (PIsText.Visible()) {
        PIsText.SetText(s.SummaryParameter(slot));
    }
    if (SecondSummaryCombo.Visible()) {
        SelectText(SecondSummaryCombo, s.SummaryParameter(slot));
    }
    RemoveTotal.SetEnabled(true);
    SumCombo.SetEnabled(true);
    GrandTotalCheck.SetValue(s.SummaryGrandTotal(slot) ? 1 : 0);
}

void frmWizard::SumCombo_Click() {
    const int slot = SummarySlot();
    const int entry = SumCombo.ListIndex();
    if (slot == 0 || entry < 0) {
        ShowSecondFieldParameter(false);
        ShowNumberParameter(false);
        return;
    }
    Wizard::WizardState& s = Wizard::State();
    const bool numeric = Wizard::IsNumericField(TotalList.List(TotalList.ListIndex()));
    std::int32_t code = entry;
    if (!numeric) {
        if (entry < static_cast<int>(kTextFieldOperations.size())) {
            code = kTextFieldOperations[static_cast<std::size_t>(entry)];
        } else {
            forms::MsgBox(" programming error.", forms::vbOKOnly);
            code = kSum;
        }
    }
    const std::string parameter = s.SummaryParameter(slot);
    const bool changed = code != s.SummaryOperation(slot);
    if (TakesSecondField(code)) {
        ShowNumberParameter(false);
        if (parameter.empty() || changed || Wizard::ReadsAsNumber(parameter)) {
            s.SummaryParameter(slot) =
                SecondSummaryCombo.ListCount() > 0 ? SecondSummaryCombo.List(0) : std::string();
        }
        ShowSecondFieldParameter(true);
        SelectText(SecondSummaryCombo, s.SummaryParameter(slot));
    } else if (TakesNumber(code)) {
        ShowSecondFieldParameter(false);
        if (changed || !Wizard::ReadsAsNumber(parameter)) {
            s.SummaryParameter(slot) = "1";
        }
        PIsLabel.SetCaption(LoadResString(code == kPercentile ? kPIsText : kNIsText));
        ShowNumberParameter(true);
        PIsText.SetText(s.SummaryParameter(slot));
    } else {
        ShowSecondFieldParameter(false);
        ShowNumberParameter(false);
    }
    s.SummaryOperation(slot) = code;
}

void frmWizard::SecondSummaryCombo_Click() {
    const int slot = SummarySlot();
    if (slot != 0 && SecondSummaryCombo.ListIndex() >= 0) {
        Wizard::State().SummaryParameter(slot) =
            SecondSummaryCombo.List(SecondSummaryCombo.ListIndex());
    }
}

void frmWizard::PIsText_KeyPress(int& keyAscii) {
    Wizard::RefuseNonDigitKey(keyAscii);
}

void frmWizard::PIsText_Change() {
    const int slot = SummarySlot();
    if (slot == 0) {
        return;
    }
    Wizard::TidyTypedNumber(PIsText);
    std::string& parameter = Wizard::State().SummaryParameter(slot);
    const std::string& text = PIsText.Text();
    if (!text.empty() && !Wizard::WholeNumberIn(text, 1, kLargestParameter)) {
        Wizard::ShowWarning(kIntegerFrom1To32767);
        PIsText.SetText(parameter);
        return;
    }
    // A cleared box stores "": the report then takes the operation's first N (or P).
    parameter = text;
}

void frmWizard::GrandTotalCheck_Click() {
    const int slot = SummarySlot();
    if (slot != 0 && Wizard::State().GroupSummaryCount(SummaryGroup()) > 0) {
        Wizard::State().SummaryGrandTotal(slot) = GrandTotalCheck.Value() == 1;
    }
}

void frmWizard::AddTotal_Click() {
    forms::Node* field = DatabaseTreeView.SelectedItem();
    const int g = SummaryGroup();
    // AddTotal is enabled only while a field node is selected, and the page always has a group.
    if (field == nullptr || !Wizard::IsFieldTag(field->Tag()) || g < 1) {
        return;
    }
    const std::string name = Wizard::StripBraces(field->Tag());
    TotalList.AddItem(name);
    Wizard::InsertSummary(g, name, Wizard::IsNumericField(name) ? kSum : kMaximum);
    TotalList.SetListIndex(TotalList.NewIndex());
    AdvanceTreeSelection(*field, AddTotal);
    DatabaseTreeView.SetFocus();
}

void frmWizard::RemoveTotal_Click() {
    const int g = SummaryGroup();
    const int i = TotalList.ListIndex();
    if (g < 1 || i < 0) {
        return;
    }
    Wizard::WizardState& s = Wizard::State();
    const std::string removed = TotalList.List(i);
    Wizard::DeleteSummary(g, i);
    // The group can no longer be ordered by this field's summary.
    if (removed == s.GroupSortField(g)) {
        Wizard::ResetGroupSort(g);
    }
    TotalList.RemoveItem(i);
    if (TotalList.ListCount() > 0) {
        TotalList.SetListIndex(std::min(i, TotalList.ListCount() - 1));
    } else {
        RemoveTotal.SetEnabled(false);
        if (SumCombo.ListCount() > 0) {
            SumCombo.SetListIndex(0);
        }
        SumCombo.SetEnabled(false);
    }
    DatabaseTreeView.SetFocus();
}

} // namespace foliant::dialog
