// The page engine: the database tree, page membership, Next, Back and Cancel.
#include "dialog/frmWizard.h"
#include "engine/Report.h"
#include "platform/forms/Backend.h"
#include "platform/shell/Shell.h"
#include "resources/Resources.h"
#include "wizard/WizardState.h"

namespace foliant::Wizard {

using resources::LoadResString;

namespace {

// Selects item 0 of a list so that its selection handling runs even when item 0 was already
// selected.
void ReselectFirst(forms::ListBox& list) {
    if (list.ListIndex() == 0) {
        list.SetListIndex(-1);
    }
    list.SetListIndex(0);
    list.SetSelected(0, true);
}

// Value types the tree never lists: bytes, unknown, and pictures, charts and other objects.
bool IsHiddenType(engine::ValueType type) {
    return type == engine::ValueType::Bytes || type == engine::ValueType::Unknown ||
           (type >= engine::ValueType::Picture && type <= engine::ValueType::Blob);
}

// Whether a field of this type is a node of the tree.
bool IsListedType(engine::ValueType type, bool includeLongText) {
    return !IsHiddenType(type) && (type != engine::ValueType::LongText || includeLongText);
}

// Whether the tree already holds exactly the nodes a fill would make. A page change then keeps
// those nodes instead of building them again.
bool TreeShowsSource(const forms::Nodes& nodes, const engine::DataSource& source,
                     bool includeLongText) {
    if (nodes.Roots().size() != 1) {
        return false;
    }
    const auto& tables = source.Tables();
    const auto& tableNodes = nodes.Roots().front()->ChildNodes();
    if (tableNodes.size() != tables.size()) {
        return false;
    }
    for (std::size_t t = 0; t < tables.size(); ++t) {
        const auto& fieldNodes = tableNodes[t]->ChildNodes();
        auto fieldNode = fieldNodes.begin();
        for (const auto& field : tables[t]->Fields()) {
            if (!IsListedType(field->ValueType(), includeLongText)) {
                continue;
            }
            if (fieldNode == fieldNodes.end() || (*fieldNode)->Tag() != field->BracedName()) {
                return false;
            }
            ++fieldNode;
        }
        if (fieldNode != fieldNodes.end() || tableNodes[t]->Tag() != tables[t]->TableName()) {
            return false;
        }
    }
    return true;
}

// Builds the tree's nodes and the second-field list afresh from the data source.
void RebuildDatabaseTree(const engine::DataSource& source, bool includeLongText) {
    dialog::frmWizard& f = WizardForm();
    auto& nodes = f.DatabaseTreeView.Nodes();
    if (nodes.Count() > 0) {
        nodes.Remove(1);
    }
    if (f.SecondSummaryCombo.ListCount() > 0) {
        f.SecondSummaryCombo.Clear();
    }
    std::vector<std::string> numericFields;
    f.DatabaseTreeView.AddNodesAtOnce([&] {
        forms::Node& root = nodes.Add(LoadResString(109), "Database");
        root.SetExpanded(true);
        root.SetTag("");
        for (const auto& table : source.Tables()) {
            forms::Node& tableNode = nodes.Add(&root, forms::Relationship::Child, {},
                                               table->TableName(), "DatabaseTable");
            tableNode.SetTag(table->TableName());
            tableNode.SetExpanded(true);
            for (const auto& field : table->Fields()) {
                const engine::ValueType type = field->ValueType();
                if (IsListedType(type, includeLongText)) {
                    forms::Node& fieldNode = nodes.Add(&tableNode, forms::Relationship::Child, {},
                                                       field->ShortName(), "FieldItem");
                    fieldNode.SetTag(field->BracedName());
                }
                if (engine::IsNumericType(type)) {
                    numericFields.push_back(field->TableOfField() + "." + field->ShortName());
                }
            }
        }
    });
    f.SecondSummaryCombo.AddItems(numericFields, 0);
}

} // namespace

forms::Node* FirstFieldNode() {
    // Field nodes are the children of table nodes; the tree adds them in tree order, so the
    // first one in the collection is the first field of the first table that has fields (node
    // 3 whenever the first table has a field).
    for (forms::Node* table = WizardForm().DatabaseTreeView.Nodes().Item(1).Child();
         table != nullptr; table = table->Next()) {
        if (table->Child() != nullptr) {
            return table->Child();
        }
    }
    return nullptr;
}

int GroupCount() {
    return WizardForm().GroupTreeView.Nodes().Count() - 1;
}

int SummaryCount() {
    int total = 0;
    for (const auto n : State().GroupSummaryCount.Values()) {
        total += n;
    }
    return total;
}

std::int16_t NextPageNumber(std::int16_t page) {
    return page == State().PageCount ? page : static_cast<std::int16_t>(page + 1);
}

std::int16_t PreviousPageNumber(std::int16_t page) {
    return page == 1 ? page : static_cast<std::int16_t>(page - 1);
}

void FillDatabaseTree(bool includeLongText) {
    dialog::frmWizard& f = WizardForm();
    const auto source = RequireReport().GetDataSource();
    if (TreeShowsSource(f.DatabaseTreeView.Nodes(), *source, includeLongText)) {
        // Left as a rebuild leaves them: the root and every table open, no list selection and
        // no Click.
        forms::Node& root = *f.DatabaseTreeView.Nodes().Roots().front();
        root.SetExpanded(true);
        for (const auto& table : root.ChildNodes()) {
            table->SetExpanded(true);
        }
        f.SecondSummaryCombo.SetText("");
    } else {
        RebuildDatabaseTree(*source, includeLongText);
    }
    if (forms::Node* field = FirstFieldNode()) {
        f.DatabaseTreeView.SetSelectedItem(field);
    } else {
        f.Add.SetEnabled(false);
        f.AddGroup.SetEnabled(false);
        f.AddSelect.SetEnabled(false);
    }
}

void ShowPage(std::int16_t /*from*/, std::int16_t to) {
    // Whichever page the move comes from, the result is the same: the target page's controls
    // visible, every other paged control hidden, the common controls untouched.
    const WizardState& s = State();
    const int low = kLastCommonTag + (to > 1 ? s.PageControlEnd(to - 1) : 0);
    const int high = kLastCommonTag + s.PageControlEnd(to);
    for (forms::Control* control : WizardForm().Controls()) {
        const int t = TagNumber(*control);
        if (t <= kLastCommonTag) {
            continue;
        }
        control->SetVisible(t > low && t <= high);
    }
}

void RunPageEntry() {
    dialog::frmWizard& f = WizardForm();
    const int page = State().CurrentPage;
    if (page == 2 || page == 3 || page == 5) {
        FillDatabaseTree(false);
    } else if (page == 1) {
        FillDatabaseTree(true);
    }
    forms::Node* field = FirstFieldNode();
    if (f.DatabaseTreeView.Visible() && field != nullptr) {
        f.DatabaseTreeView.SetSelectedItem(field);
        f.DatabaseTreeView.SetFocus();
        if (page == 5) {
            f.AddSelect.SetEnabled(true);
        } else if (page == 2) {
            f.AddGroup.SetEnabled(true);
        } else if (page == 3) {
            f.AddTotal.SetEnabled(true);
        }
    }
    if (page == 1 && f.ReportFieldList1.ListCount() > 0) {
        f.ReportFieldList1.SetListIndex(0);
    }
    if (page == 2 && GroupCount() >= 1) {
        forms::Node& first = f.GroupTreeView.Nodes().Item(2);
        f.GroupTreeView.SetSelectedItem(&first);
        f.OrderCombo.SetListIndex(GroupOrderOf(first));
        UpdateGroupMoveButtons();
    }
    if (page == 4) {
        ApplyTopNLayout(f.TopNSortCombo.ListIndex());
        if (f.TopNGroupCombo.ListCount() > 0) {
            f.TopNGroupCombo.SetListIndex(0);
        }
    }
    if (page == 3) {
        for (forms::Control* control : std::initializer_list<forms::Control*>{
                 &f.PIsLabel, &f.PIsText, &f.WithLabel, &f.SecondSummaryCombo}) {
            control->SetVisible(false);
        }
        if (f.GroupCombo.ListCount() > 0) {
            f.GroupCombo.SetListIndex(0);
        }
        if (f.TotalList.ListCount() > 0) {
            ReselectFirst(f.TotalList);
        }
    }
    if (page == 7 && f.SaveText.Text().empty()) {
        const std::string name =
            f.TitleText.Text().empty() ? LoadResString(275) : f.TitleText.Text() + ".rpt";
        f.SaveText.SetText(shell::JoinPath(shell::CurrentDirectory(), name));
    }
    if (f.TitleText.Visible()) {
        f.TitleText.SetSelStart(0);
    }
    if (f.SaveText.Visible()) {
        f.SaveText.SetSelStart(0);
    }
}

void ChangePage(PageDirection direction) {
    dialog::frmWizard& f = WizardForm();
    WizardState& s = State();
    const bool content = s.ReportHasContent;
    if (direction == PageDirection::Next) {
        const std::int16_t from = s.CurrentPage;
        if (from == 1) {
            f.cmdBack.SetEnabled(true);
        }
        int page = from + 1;
        if (f.GroupTreeView.Visible()) {
            if (GroupCount() >= 1) {
                FillGroupCombo();
            } else {
                page += content ? 3 : 2;
            }
        }
        if (f.TotalList.Visible()) {
            if (SummaryCount() >= 1) {
                FillTopNGroupCombo();
            } else {
                page += content ? 2 : 1;
            }
        }
        if (f.TopNSortCombo.Visible() && content) {
            page += 1;
        }
        s.CurrentPage = static_cast<std::int16_t>(page);
        if (s.CurrentPage == s.PageCount) {
            f.cmdNext.SetEnabled(false);
            f.FinishCmd.SetDefault(true);
        }
        const auto before = static_cast<std::int16_t>(s.CurrentPage - 1);
        ShowPage(before, NextPageNumber(before));
        if (f.SelectList.Visible() && f.SelectList.ListCount() > 0) {
            ReselectFirst(f.SelectList);
        }
    } else if (direction == PageDirection::Back) {
        const std::int16_t from = s.CurrentPage;
        int page = from;
        if (from == 6 && content) {
            page -= 1;
        }
        if (from == 5 || (from == 6 && content)) {
            if (GroupCount() >= 1) {
                if (SummaryCount() == 0) {
                    page -= 1;
                }
            } else {
                page -= 2;
            }
        }
        if (from == 5 || from == 6) {
            DropFieldsWithoutCondition();
        }
        s.CurrentPage = static_cast<std::int16_t>(page);
        ShowPage(s.CurrentPage, PreviousPageNumber(s.CurrentPage));
        if (f.SelectList.Visible() && f.SelectList.ListCount() > 0) {
            ReselectFirst(f.SelectList);
        }
        if (f.SelectList.Visible() && f.SelectList.ListCount() == 0) {
            HideConditionControls();
        }
        s.CurrentPage = static_cast<std::int16_t>(s.CurrentPage - 1);
        f.cmdNext.SetEnabled(true);
        if (s.CurrentPage == 1) {
            f.cmdBack.SetEnabled(false);
        }
    } else {
        forms::MsgBox("Internal Wizard Error, dog breath!", forms::vbOKOnly);
        RunPageEntry();
        return;
    }
    const bool treeShown = s.CurrentPage != 4 && s.CurrentPage != 6 && s.CurrentPage != 7;
    f.DatabaseTreeView.SetVisible(treeShown);
    f.DatabaseFields.SetVisible(treeShown);
    RunPageEntry();
}

void CloseWizard() {
    CloseHelpWindow();
    WizardForm().Unload();
}

} // namespace foliant::Wizard

namespace foliant::dialog {

void frmWizard::cmdNext_Click() {
    if (SelectList.Visible() && !Wizard::CheckSelectionFormula()) {
        return;
    }
    Wizard::ChangePage(Wizard::PageDirection::Next);
    if (DatabaseTreeView.Nodes().Count() <= 2) {
        RemoveGroup.SetEnabled(false);
    }
    if (SelectList.Visible()) {
        if (SelectList.ListCount() == 0) {
            Wizard::HideConditionControls();
        } else {
            Wizard::ShowConditionControls(SelectList.ItemData(0), SelectList.List(0));
        }
    }
}

void frmWizard::cmdBack_Click() {
    if (SelectList.Visible() && !Wizard::CheckSelectionFormula()) {
        return;
    }
    Wizard::ChangePage(Wizard::PageDirection::Back);
}

void frmWizard::cmdCancel_Click() {
    Wizard::CloseHelpWindow();
    Unload();
}

} // namespace foliant::dialog
