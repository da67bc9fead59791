// Page 1: fields to display, and the database tree's handlers that every field-picking page
// shares.
#include "dialog/frmWizard.h"
#include "engine/core/Types.h"
#include "wizard/WizardState.h"

#include <string_view>
#include <unordered_set>
#include <vector>

namespace foliant::Wizard {

bool IsFieldTag(const std::string& tag) {
    return !tag.empty() && RequireReport().GetDataSource()->FindTable(tag) == nullptr;
}

std::string StripBraces(const std::string& text) {
    return text.size() >= 2 ? text.substr(1, text.size() - 2) : std::string();
}

} // namespace foliant::Wizard

namespace foliant::dialog {

namespace {

// Whether the node is a field node of the database tree (not the root, not a table).
bool IsFieldNode(const forms::Node* node) {
    return node != nullptr && Wizard::IsFieldTag(node->Tag());
}

// The item data of fields that AddAll puts in the list. The layout reads it like a database
// field's: only special fields (kind 4) are placed without braces.
constexpr std::int32_t kAddedByAddAll = 0;

// The list texts of node and the nodes below it whose tags are field tags (not empty, naming
// no table), in tree order.
void CollectFields(const forms::Node& node, const std::unordered_set<std::string_view>& tables,
                   std::vector<std::string>& texts) {
    if (!node.Tag().empty() && tables.count(node.Tag()) == 0) {
        texts.push_back(Wizard::StripBraces(node.Tag()));
    }
    for (const forms::Node* child : node.ChildNodes()) {
        CollectFields(*child, tables, texts);
    }
}

} // namespace

void frmWizard::Add_Click() {
    forms::Node* node = DatabaseTreeView.SelectedItem();
    // Add is enabled only while a field node is selected; a stray call adds nothing.
    if (!IsFieldNode(node)) {
        return;
    }
    const int at = ReportFieldList1.ListIndex() + 1;
    ReportFieldList1.AddItem(Wizard::StripBraces(node->Tag()), at);
    ReportFieldList1.SetItemData(at, static_cast<std::int32_t>(engine::FieldKind::Database));
    ReportFieldList1.SetListIndex(at);
    AdvanceTreeSelection(*node, Add);
    DatabaseTreeView.SetFocus();
    RemoveAll.SetEnabled(true);
}

void frmWizard::AdvanceTreeSelection(forms::Node& added, CommandButton& add) {
    if (forms::Node* next = added.Next()) {
        DatabaseTreeView.SetSelectedItem(next);
    } else {
        add.SetEnabled(false);
        DatabaseTreeView.SetSelectedItem(added.Parent());
    }
}

void frmWizard::AddAll_Click() {
    std::unordered_set<std::string_view> tables;
    for (const auto& table : Wizard::RequireReport().GetDataSource()->Tables()) {
        tables.insert(table->TableName());
    }
    std::vector<std::string> texts;
    for (const forms::Node* root : DatabaseTreeView.Nodes().Roots()) {
        CollectFields(*root, tables, texts);
    }
    ReportFieldList1.Clear();
    ReportFieldList1.AddItems(texts, kAddedByAddAll);
    if (ReportFieldList1.ListCount() > 0) {
        ReportFieldList1.SetListIndex(ReportFieldList1.ListCount() - 1);
        RemoveAll.SetEnabled(true);
        Remove.SetEnabled(true);
    }
}

void frmWizard::Remove_Click() {
    const int i = ReportFieldList1.ListIndex();
    if (i < 0) {
        return;
    }
    ReportFieldList1.RemoveItem(i);
    if (ReportFieldList1.ListCount() == 0) {
        DisableFieldListButtons();
    } else if (i >= ReportFieldList1.ListCount()) {
        ReportFieldList1.SetListIndex(i - 1);
    } else {
        ReportFieldList1.SetListIndex(i);
    }
    DatabaseTreeView.SetFocus();
}

void frmWizard::RemoveAll_Click() {
    for (int i = ReportFieldList1.ListCount() - 1; i >= 0; --i) {
        ReportFieldList1.RemoveItem(i);
    }
    DisableFieldListButtons();
    DatabaseTreeView.SetFocus();
}

void frmWizard::DisableFieldListButtons() {
    RemoveAll.SetEnabled(false);
    Remove.SetEnabled(false);
    cmdReportFieldDown.SetEnabled(false);
    CmdReportFieldUp.SetEnabled(false);
}

void frmWizard::MoveReportField(int by) {
    const int i = ReportFieldList1.ListIndex();
    const int to = i + by;
    // The move buttons are never enabled at an end of the list; a stray call moves nothing.
    if (i < 0 || to < 0 || to >= ReportFieldList1.ListCount()) {
        return;
    }
    const std::string text = ReportFieldList1.List(i);
    const std::int32_t kind = ReportFieldList1.ItemData(i);
    ReportFieldList1.RemoveItem(i);
    ReportFieldList1.AddItem(text, to);
    ReportFieldList1.SetItemData(to, kind);
    ReportFieldList1.SetListIndex(to);
    DatabaseTreeView.SetFocus();
}

void frmWizard::cmdReportFieldDown_Click() {
    MoveReportField(1);
}

void frmWizard::CmdReportFieldUp_Click() {
    MoveReportField(-1);
}

void frmWizard::ReportFieldList1_Click() {
    const int index = ReportFieldList1.ListIndex();
    if (index == -1) {
        return;
    }
    Remove.SetEnabled(true);
    const int count = ReportFieldList1.ListCount();
    // A single item has nowhere to move: both move buttons are off, so no move can run past
    // an end of the list.
    CmdReportFieldUp.SetEnabled(count > 1 && index > 0);
    cmdReportFieldDown.SetEnabled(count > 1 && index + 1 < count);
    RemoveAll.SetEnabled(true);
}

void frmWizard::DatabaseTreeView_Click() {
    if (DatabaseTreeView.Nodes().Count() <= 2 || !IsFieldNode(DatabaseTreeView.SelectedItem())) {
        return;
    }
    if (ReportFieldList1.Visible()) {
        Add.SetEnabled(true);
    }
    if (GroupTreeView.Visible()) {
        AddGroup.SetEnabled(true);
        RemoveGroup.SetEnabled(false);
        SortOrder.SetEnabled(false);
        OrderCombo.SetEnabled(false);
    }
}

void frmWizard::DatabaseTreeView_NodeClick(forms::Node& node) {
    const bool isField = Wizard::IsFieldTag(node.Tag());
    if (ReportFieldList1.Visible()) {
        Add.SetEnabled(isField);
    }
    if (SelectList.Visible()) {
        AddSelect.SetEnabled(isField);
    }
    if (GroupTreeView.Visible()) {
        AddGroup.SetEnabled(isField);
        RemoveGroup.SetEnabled(false);
        SortOrder.SetEnabled(false);
        OrderCombo.SetEnabled(false);
    }
    if (TotalList.Visible()) {
        AddTotal.SetEnabled(isField);
        RemoveTotal.SetEnabled(false);
        SumCombo.SetEnabled(false);
        for (forms::Control* control : std::initializer_list<forms::Control*>{
                 &PIsLabel, &PIsText, &WithLabel, &SecondSummaryCombo}) {
            control->SetVisible(false);
        }
        if (TotalList.ListIndex() >= 0) {
            TotalList.SetSelected(TotalList.ListIndex(), false);
        }
    }
    if (SelectList.Visible()) {
        cmdNext.SetDefault(true);
    }
}

void frmWizard::DatabaseTreeView_DblClick() {
    // Each check reads the selected node afresh: an add moves the tree's selection on.
    if (ReportFieldList1.Visible() && IsFieldNode(DatabaseTreeView.SelectedItem())) {
        Add_Click();
    }
    if (GroupTreeView.Visible() && IsFieldNode(DatabaseTreeView.SelectedItem())) {
        AddGroup_Click();
    }
    if (TotalList.Visible() && IsFieldNode(DatabaseTreeView.SelectedItem())) {
        AddTotal_Click();
    }
    if (SelectList.Visible() && IsFieldNode(DatabaseTreeView.SelectedItem())) {
        AddSelect_Click();
    }
}

} // namespace foliant::dialog
