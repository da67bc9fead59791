// Page 4: group sorting. TopNGroupCombo lists the groups that have summaries, each with its
// group number as item data; the controls below it show and edit that group's sorting: the
// kind (Top N, Bottom N, Sort All), the summary field that orders the groups, and N with the
// others label (Top and Bottom N) or the direction (Sort All).
#include "dialog/frmWizard.h"
#include "resources/Resources.h"
#include "wizard/GroupData.h"
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

namespace foliant::dialog {

namespace {

using resources::LoadResString;

constexpr int kSortAll = 2;
constexpr std::int16_t kAscending = -1;
constexpr std::int16_t kDescending = 0;
constexpr std::int16_t kFirstN = 5;
constexpr int kLargestN = 100;
constexpr int kIntegerFrom1To100 = 317;

bool KeepsN(int kind) {
    return kind == 0 || kind == 1;
}

} // namespace

int frmWizard::SortGroupNumber() const {
    const int i = TopNGroupCombo.ListIndex();
    return i < 0 ? 0 : TopNGroupCombo.ItemData(i);
}

void frmWizard::ShowGroupSortValues(int g) {
    const Wizard::WizardState& s = Wizard::State();
    if (TopNSortCombo.ListIndex() == kSortAll) {
        (s.GroupSortValue(g) != kDescending ? TopNAscendingOption : TopNDescendingOption)
            .SetValue(true);
        return;
    }
    const std::string& label = s.GroupOthersLabel(g);
    TopNText.SetText(std::to_string(s.GroupSortValue(g)));
    TopNOthersText.SetText(label);
    TopNIncludeOthersCheck.SetValue(label.empty() ? 0 : 1);
    TopNOthersText.SetVisible(!label.empty());
}

void frmWizard::TopNGroupCombo_Click() {
    const int g = SortGroupNumber();
    if (g == 0) {
        return;
    }
    Wizard::WizardState& s = Wizard::State();
    TopNSortCombo.SetListIndex(s.GroupSortKind(g));
    TopNTotalCombo.Clear();
    const int first = Wizard::FirstSummarySlot(g);
    for (int i = 0; i < s.GroupSummaryCount(g); ++i) {
        TopNTotalCombo.AddItem(s.SummaryField(first + i));
    }
    if (!s.GroupSortField(g).empty()) {
        for (int i = 0; i < TopNTotalCombo.ListCount(); ++i) {
            if (TopNTotalCombo.List(i) == s.GroupSortField(g)) {
                TopNTotalCombo.SetListIndex(i);
                break;
            }
        }
    } else if (TopNTotalCombo.ListCount() > 0) {
        // Showing a group that has no sort field yet chooses its first summary.
        TopNTotalCombo.SetListIndex(0);
        s.GroupSortField(g) = TopNTotalCombo.List(0);
    }
    ShowGroupSortValues(g);
}

void frmWizard::TopNSortCombo_Click() {
    const int k = TopNSortCombo.ListIndex();
    if (k < 0 || !TopNSortCombo.Visible()) {
        return;
    }
    Wizard::ApplyTopNLayout(k);
    if (KeepsN(k)) {
        TopNOthersText.SetVisible(true);
    }
    const int g = SortGroupNumber();
    Wizard::WizardState& s = Wizard::State();
    if (g == 0 || k == s.GroupSortKind(g)) {
        return;
    }
    // A new kind starts from its defaults; the sort field stays.
    const std::string others = LoadResString(Wizard::kOthersText);
    s.GroupSortValue(g) = KeepsN(k) ? kFirstN : kAscending;
    TopNText.SetText(std::to_string(kFirstN));
    TopNAscendingOption.SetValue(true);
    TopNIncludeOthersCheck.SetValue(1);
    TopNOthersText.SetText(others);
    s.GroupSortKind(g) = static_cast<std::int16_t>(k);
    s.GroupOthersLabel(g) = others;
}

void frmWizard::TopNTotalCombo_Click() {
    const int i = TopNTotalCombo.ListIndex();
    const int g = SortGroupNumber();
    if (i < 0 || g == 0) {
        return;
    }
    Wizard::WizardState& s = Wizard::State();
    if (TopNTotalCombo.List(i) != s.GroupSortField(g)) {
        ShowGroupSortValues(g);
        s.GroupSortField(g) = TopNTotalCombo.List(i);
    }
}

void frmWizard::TopNAscendingOption_Click() {
    if (const int g = SortGroupNumber(); g != 0) {
        Wizard::State().GroupSortValue(g) = kAscending;
    }
}

void frmWizard::TopNDescendingOption_Click() {
    if (const int g = SortGroupNumber(); g != 0) {
        Wizard::State().GroupSortValue(g) = kDescending;
    }
}

void frmWizard::TopNIncludeOthersCheck_Click() {
    const int g = SortGroupNumber();
    if (g == 0 || TopNSortCombo.ListIndex() == kSortAll) {
        return;
    }
    const bool include = TopNIncludeOthersCheck.Value() == 1;
    // Checked again, the box always brings back "Others", whatever label was typed before.
    const std::string label = include ? LoadResString(Wizard::kOthersText) : std::string();
    Wizard::State().GroupOthersLabel(g) = label;
    TopNOthersText.SetText(label);
    TopNOthersText.SetVisible(include);
}

void frmWizard::TopNOthersText_Change() {
    // An emptied label leaves the other groups out of the report.
    if (const int g = SortGroupNumber(); g != 0) {
        Wizard::State().GroupOthersLabel(g) = TopNOthersText.Text();
    }
}

void frmWizard::TopNText_KeyPress(int& keyAscii) {
    Wizard::RefuseNonDigitKey(keyAscii);
}

void frmWizard::TopNText_Change() {
    const int g = SortGroupNumber();
    if (g == 0) {
        return;
    }
    Wizard::WizardState& s = Wizard::State();
    const std::int16_t old = s.GroupSortValue(g);
    Wizard::TidyTypedNumber(TopNText);
    // A cleared box keeps N as it was.
    if (TopNText.Text().empty()) {
        return;
    }
    if (const auto n = Wizard::WholeNumberIn(TopNText.Text(), 1, kLargestN)) {
        s.GroupSortValue(g) = static_cast<std::int16_t>(*n);
        return;
    }
    Wizard::ShowWarning(kIntegerFrom1To100);
    TopNText.SetText(std::to_string(old));
}

} // namespace foliant::dialog
