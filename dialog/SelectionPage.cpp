// Page 5: record selection. The filtered fields are the items of SelectList (item data: the
// operator index); their values live in SelectValueCount and SelectValues, field after field.
#include "dialog/frmWizard.h"
#include "generate/SelectionFormula.h"
#include "platform/forms/Backend.h"
#include "resources/Resources.h"
#include "wizard/FieldLookup.h"
#include "wizard/WizardState.h"

#include <algorithm>

namespace foliant::Wizard {

using generate::ConditionKind;
using resources::LoadResString;

namespace {

// The 27 period names, in the order the value list offers them (the first is the default).
constexpr int kFirstPeriodName = 276;
constexpr int kLastPeriodName = 302;
// Operators every field is offered (is any value … is not between); then text or date ones.
constexpr int kCommonOperators = 11;
constexpr int kErrorTitle = 131;

// Where the values of the filtered field at list position item start in SelectValues: the
// number of values of the fields before it.
int ValueStart(int item) {
    const WizardState& s = State();
    int start = 0;
    for (int k = 1; k <= item; ++k) {
        start += s.SelectValueCount(k);
    }
    return start;
}

std::vector<std::string> ValuesOf(int item) {
    const WizardState& s = State();
    const int start = ValueStart(item);
    std::vector<std::string> values;
    for (int i = 1; i <= s.SelectValueCount(item + 1); ++i) {
        values.push_back(s.SelectValues(start + i));
    }
    return values;
}

// Gives the field at list position item these values and lays SelectValues out afresh, field
// after field; the other fields keep theirs.
void SetValuesOf(int item, const std::vector<std::string>& values) {
    WizardState& s = State();
    std::vector<std::string> all;
    for (int k = 0; k < s.SelectValueCount.UBound(); ++k) {
        const auto own = k == item ? values : ValuesOf(k);
        all.insert(all.end(), own.begin(), own.end());
    }
    s.SelectValueCount(item + 1) = static_cast<std::int16_t>(values.size());
    s.SelectValues.ReDimPreserve(static_cast<int>(all.size()));
    for (std::size_t i = 0; i < all.size(); ++i) {
        s.SelectValues(static_cast<int>(i) + 1) = all[i];
    }
}

// Removes the field at list position item from the state arrays.
void RemoveValuesOf(int item) {
    SetValuesOf(item, {});
    State().SelectValueCount.RemoveAt(item + 1);
}

ConditionKind KindOf(int op, const std::string& field) {
    return generate::KindOfCondition(op, IsDateField(field));
}

std::string TrimSpaces(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string()
                                      : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

void FillPeriodNames(forms::ComboBox& combo) {
    for (int id = kFirstPeriodName; id <= kLastPeriodName; ++id) {
        combo.AddItem(LoadResString(id));
    }
}

// Replaces one value of the selected field, when the field has that many.
void StoreValue(int position, const std::string& text) {
    const int item = WizardForm().SelectList.ListIndex();
    if (item < 0) {
        return;
    }
    auto values = ValuesOf(item);
    if (position < static_cast<int>(values.size())) {
        values[static_cast<std::size_t>(position)] = text;
        SetValuesOf(item, values);
    }
}

// Shows the values of the filtered field at list position item in the value controls.
void ShowValues(int item, int op) {
    dialog::frmWizard& f = WizardForm();
    const auto values = ValuesOf(item);
    const auto value = [&values](std::size_t i) { return i < values.size() ? values[i] : ""; };
    switch (KindOf(op, f.SelectList.List(item))) {
    case ConditionKind::None:
        f.ConditionTextCombo.SetText("");
        f.SecondConditionText.SetText("");
        f.ConditionList.Clear();
        break;
    case ConditionKind::List:
        f.ConditionTextCombo.SetText("");
        f.ConditionList.Clear();
        for (const auto& v : values) {
            f.ConditionList.AddItem(v);
        }
        break;
    case ConditionKind::Range:
        f.ConditionTextCombo.SetText(value(0));
        f.SecondConditionText.SetText(value(1));
        break;
    case ConditionKind::Period:
        FillPeriodNames(f.ConditionTextCombo);
        f.ConditionTextCombo.SetText(value(0));
        break;
    case ConditionKind::Single:
        f.ConditionTextCombo.SetText(value(0));
        break;
    case ConditionKind::Other:
        break;
    }
}

// The values a field starts with under a newly chosen operator.
std::vector<std::string> StartValues(ConditionKind kind) {
    switch (kind) {
    case ConditionKind::Range:
        return {"", ""};
    case ConditionKind::Period:
        return {LoadResString(kFirstPeriodName)};
    case ConditionKind::Single:
        return {""};
    default:
        return {};
    }
}

void SetShown(std::initializer_list<forms::Control*> controls, bool shown) {
    for (forms::Control* control : controls) {
        control->SetVisible(shown);
    }
}

// While a list or period operator is shown, Enter belongs to the value field: the form has no
// default button (neither Next nor, after a visit to the last page, Finish).
void TakeDefaultAway(dialog::frmWizard& f) {
    f.SetDefaultButton(nullptr);
}

} // namespace

void HideConditionControls() {
    dialog::frmWizard& f = WizardForm();
    f.RemoveSelect.SetEnabled(false);
    SetShown({&f.ConditionCombo, &f.ConditionTextCombo, &f.ConditionList, &f.ConditionDel,
              &f.SecondConditionText, &f.AndLabel},
             false);
    f.ConditionDel.SetEnabled(false);
}

void ShowConditionControls(int op, const std::string& field) {
    dialog::frmWizard& f = WizardForm();
    const ConditionKind kind = KindOf(op, field);
    if (kind == ConditionKind::Other) {
        return;
    }
    if (kind == ConditionKind::None) {
        if (f.SelectList.Visible()) {
            SetShown({&f.ConditionTextCombo, &f.AndLabel, &f.SecondConditionText, &f.ConditionList,
                      &f.ConditionDel},
                     false);
            f.ConditionDel.SetEnabled(false);
        }
        return;
    }
    f.ConditionTextCombo.SetVisible(true);
    SetShown({&f.AndLabel, &f.SecondConditionText}, kind == ConditionKind::Range);
    SetShown({&f.ConditionList, &f.ConditionDel}, kind == ConditionKind::List);
    f.ConditionDel.SetEnabled(false);
    f.ConditionTextCombo.SetFocus();
    if (kind == ConditionKind::Single || kind == ConditionKind::Range) {
        f.cmdNext.SetDefault(true);
    } else {
        TakeDefaultAway(f);
    }
}

std::vector<generate::FilteredField> FilteredFields() {
    const forms::ListBox& list = WizardForm().SelectList;
    std::vector<generate::FilteredField> fields;
    for (int item = 0; item < list.ListCount(); ++item) {
        fields.push_back({list.List(item), list.ItemData(item), ValuesOf(item)});
    }
    return fields;
}

void DropFieldsWithoutCondition() {
    forms::ListBox& list = WizardForm().SelectList;
    for (int item = list.ListCount() - 1; item >= 0; --item) {
        if (list.ItemData(item) == generate::kAnyValue) {
            RemoveValuesOf(item);
            list.RemoveItem(item);
        }
    }
}

bool CheckSelectionFormula() {
    engine::Report& report = RequireReport();
    const std::string kept = report.GetSelectionFormulaText();
    try {
        report.SetSelectionFormulaText(generate::BuildSelectionFormula(FilteredFields(), report));
        report.SetSelectionFormulaText(kept);
        return true;
    } catch (const std::exception& error) {
        if (report.GetSelectionFormulaText() != kept) {
            report.SetSelectionFormulaText(kept);
        }
        const auto* described = dynamic_cast<const automation::AutomationError*>(&error);
        forms::MsgBox(described ? described->Description() : error.what(), forms::vbOKOnly,
                      LoadResString(kErrorTitle));
        return false;
    }
}

} // namespace foliant::Wizard

namespace foliant::dialog {

using generate::ConditionKind;
using Wizard::State;

void frmWizard::AddSelect_Click() {
    forms::Node* node = DatabaseTreeView.SelectedItem();
    // AddSelect is enabled only while a field node is selected; a stray call adds nothing.
    if (node == nullptr || !Wizard::IsFieldTag(node->Tag())) {
        return;
    }
    const std::string name = Wizard::StripBraces(node->Tag());
    int item = 0;
    while (item < SelectList.ListCount() && SelectList.List(item) != name) {
        ++item;
    }
    if (item == SelectList.ListCount()) {
        State().SelectValueCount.Append(0);
        SelectList.AddItem(name);
        SelectList.SetItemData(item, generate::kAnyValue);
    }
    SelectList.SetListIndex(item);
    if (forms::Node* next = node->Next()) {
        DatabaseTreeView.SetSelectedItem(next);
    } else {
        AddSelect.SetEnabled(false);
        DatabaseTreeView.SetSelectedItem(node->Parent());
    }
    DatabaseTreeView.SetFocus();
}

void frmWizard::RemoveSelect_Click() {
    const int item = SelectList.ListIndex();
    if (item < 0) {
        return;
    }
    Wizard::RemoveValuesOf(item);
    SelectList.RemoveItem(item);
    if (SelectList.ListCount() == 0) {
        Wizard::HideConditionControls();
    } else {
        SelectList.SetListIndex(std::min(item, SelectList.ListCount() - 1));
    }
    DatabaseTreeView.SetFocus();
    cmdNext.SetDefault(true);
}

void frmWizard::SelectList_Click() {
    const int item = SelectList.ListIndex();
    if (item < 0) {
        return;
    }
    const std::string field = SelectList.List(item);
    ConditionTextCombo.Clear();
    ConditionCombo.SetVisible(true);
    RemoveSelect.SetEnabled(true);
    while (ConditionCombo.ListCount() > Wizard::kCommonOperators) {
        ConditionCombo.RemoveItem(ConditionCombo.ListCount() - 1);
    }
    if (!Wizard::IsNumericField(field)) {
        const bool date = Wizard::IsDateField(field);
        for (int id = date ? 176 : 172; id <= (date ? 177 : 175); ++id) {
            ConditionCombo.AddItem(resources::LoadResString(id));
        }
    }
    const int op = SelectList.ItemData(item);
    ConditionCombo.SetListIndex(op);
    Wizard::ShowValues(item, op);
    Wizard::ShowConditionControls(op, field);
}

void frmWizard::ConditionCombo_Click() {
    const int item = SelectList.ListIndex();
    const int op = ConditionCombo.ListIndex();
    if (item < 0 || op < 0 || op == SelectList.ItemData(item)) {
        return;
    }
    const std::string field = SelectList.List(item);
    const ConditionKind kind = Wizard::KindOf(op, field);
    ConditionTextCombo.Clear();
    SecondConditionText.SetText("");
    Wizard::ShowConditionControls(op, field);
    Wizard::SetValuesOf(item, Wizard::StartValues(kind));
    if (kind == ConditionKind::Period) {
        Wizard::FillPeriodNames(ConditionTextCombo);
        ConditionTextCombo.SetListIndex(0);
    }
    ConditionList.Clear();
    if (kind != ConditionKind::Period) {
        ConditionTextCombo.SetText("");
    }
    SelectList.SetItemData(item, op);
}

void frmWizard::ConditionTextCombo_Change() {
    // Whether an operator takes one value or a range does not depend on the field's type.
    const ConditionKind kind = generate::KindOfCondition(ConditionCombo.ListIndex(), false);
    if (kind == ConditionKind::Single || kind == ConditionKind::Range) {
        Wizard::StoreValue(0, ConditionTextCombo.Text());
    }
}

void frmWizard::ConditionTextCombo_Click() {
    const int op = ConditionCombo.ListIndex();
    if (ConditionTextCombo.ListCount() > 0 &&
        (op == generate::kStartsWithOrInPeriod || op == generate::kNotStartsWithOrInPeriod)) {
        Wizard::StoreValue(0, ConditionTextCombo.Text());
    }
}

void frmWizard::SecondConditionText_Change() {
    const int op = ConditionCombo.ListIndex();
    if (op == generate::kBetween || op == generate::kNotBetween) {
        Wizard::StoreValue(1, SecondConditionText.Text());
    }
}

void frmWizard::ConditionTextCombo_KeyDown(int keyCode) {
    const int item = SelectList.ListIndex();
    const int op = ConditionCombo.ListIndex();
    if (keyCode != forms::kKeyReturn || item < 0 ||
        Wizard::KindOf(op, SelectList.List(item)) != ConditionKind::List) {
        return;
    }
    std::string text = ConditionTextCombo.Text();
    if (op == generate::kOneOf || op == generate::kNotOneOf) {
        text = Wizard::TrimSpaces(text);
    }
    if (text.empty()) {
        return;
    }
    auto values = Wizard::ValuesOf(item);
    const auto found = std::find(values.begin(), values.end(), text);
    if (found != values.end()) {
        ConditionTextCombo.SetText("");
        ConditionList.SetListIndex(static_cast<int>(found - values.begin()));
        return;
    }
    ConditionList.AddItem(text);
    ConditionList.SetListIndex(ConditionList.NewIndex());
    values.push_back(text);
    Wizard::SetValuesOf(item, values);
    ConditionTextCombo.SetText("");
}

void frmWizard::ConditionList_Click() {
    if (ConditionList.ListIndex() >= 0) {
        ConditionDel.SetEnabled(true);
    }
}

void frmWizard::ConditionDel_Click() {
    const int item = SelectList.ListIndex();
    const int at = ConditionList.ListIndex();
    if (item < 0 || at < 0) {
        return;
    }
    ConditionList.RemoveItem(at);
    auto values = Wizard::ValuesOf(item);
    if (at < static_cast<int>(values.size())) {
        values.erase(values.begin() + at);
        Wizard::SetValuesOf(item, values);
    }
    if (ConditionList.ListCount() > 0) {
        ConditionList.SetListIndex(std::min(at, ConditionList.ListCount() - 1));
    } else {
        ConditionDel.SetEnabled(false);
    }
}

} // namespace foliant::dialog
