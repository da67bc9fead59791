#include "component/Wizard.h"
#include "wizard/GroupData.h"

#include "dialog/frmWizard.h"
#include "resources/Resources.h"

#include <limits>

namespace foliant::Wizard {

namespace {

using engine::Area;
using engine::FieldKind;
using engine::GroupSortMode;
using engine::ObjectKind;
using engine::ReportObject;
using engine::SummaryOperation;
using ObjectPtr = std::shared_ptr<ReportObject>;

// A braced name without its first and last character ("{Orders.Amount}" -> Orders.Amount).
std::string Unbraced(const std::string& name) {
    return name.size() >= 2 ? name.substr(1, name.size() - 2) : std::string();
}

// Every report object of every section of the area, sections in order, objects in list order.
std::vector<ObjectPtr> AreaObjects(Area& area) {
    std::vector<ObjectPtr> out;
    const auto sections = area.AreaSections();
    for (const auto& section : sections->All()) {
        for (const auto& object : section->SectionObjects()->All()) {
            out.push_back(object);
        }
    }
    return out;
}

bool IsFieldObjectOfKind(const ReportObject& object, FieldKind kind) {
    return object.Kind() == ObjectKind::Field && object.field() && object.field()->Kind() == kind;
}

std::int16_t ToInt16(int value, const char* what) {
    if (value < std::numeric_limits<std::int16_t>::min() ||
        value > std::numeric_limits<std::int16_t>::max()) {
        throw automation::AutomationError(automation::kOverflow, "Foliant",
                                          std::string("Overflow: the report's ") + what + " " +
                                              std::to_string(value) + " does not fit the wizard.");
    }
    return static_cast<std::int16_t>(value);
}

// Orders the field objects left to right: repeatedly take the object with the smallest Left,
// and among equal Left values the one that comes last in the working list.
std::vector<ObjectPtr> OrderByLeft(std::vector<ObjectPtr> work) {
    std::vector<ObjectPtr> ordered;
    while (!work.empty()) {
        std::size_t candidate = 0;
        for (std::size_t i = 0; i < work.size(); ++i) {
            if (work[i]->Left() <= work[candidate]->Left()) {
                candidate = i;
            }
        }
        ordered.push_back(work[candidate]);
        work.erase(work.begin() + static_cast<long>(candidate));
    }
    return ordered;
}

void ImportReportFields() {
    engine::Report& report = RequireReport();
    dialog::frmWizard& form = WizardForm();
    const auto details = report.GetAreaList()->ItemAt("D");
    std::vector<ObjectPtr> work;
    for (const auto& object : AreaObjects(*details)) {
        if (object->Kind() == ObjectKind::Field && object->field() &&
            object->field()->Kind() != FieldKind::GroupName) {
            work.push_back(object);
        }
    }
    for (const auto& object : OrderByLeft(std::move(work))) {
        const auto field = object->field();
        std::string text;
        switch (field->Kind()) {
        case FieldKind::Database:
            text = field->TableAliasName() + "." + field->DatabaseFieldName();
            break;
        case FieldKind::Formula:
            text = "@" + field->FormulaFieldName();
            break;
        case FieldKind::Special:
            text = field->Name();
            break;
        case FieldKind::Parameter:
            text = "?" + field->ParameterFieldName();
            break;
        case FieldKind::RunningTotal:
            text = "#" + field->RunningTotalFieldName();
            break;
        case FieldKind::SqlExpression:
            text = "%" + field->SQLExpressionFieldName();
            break;
        default:
            continue;
        }
        form.ReportFieldList1.AddItem(text);
        form.ReportFieldList1.SetItemData(form.ReportFieldList1.NewIndex(),
                                          static_cast<std::int32_t>(field->Kind()));
    }
    if (form.ReportFieldList1.ListCount() >= 1) {
        if (!report.GetSelectionFormulaText().empty()) {
            State().ReportHasContent = true;
        }
        form.ReportFieldList1.SetListIndex(0);
    }
}

// The wizard's text for the parameter of a summary: N (or P) of the operations that take one,
// the second field's plain name for those that take a second field, "" otherwise.
std::string ParameterOf(const engine::FieldDefinition& summary) {
    switch (summary.GetSummaryOperation()) {
    case SummaryOperation::Percentile:
    case SummaryOperation::NthLargest:
    case SummaryOperation::NthSmallest:
    case SummaryOperation::NthMostFrequent:
        return std::to_string(summary.GetSummaryNumber());
    case SummaryOperation::Correlation:
    case SummaryOperation::Covariance:
    case SummaryOperation::WeightedAverage:
        if (const auto second = summary.GetSecondSummarizedField()) {
            return Unbraced(second->Name());
        }
        return "";
    default:
        return "";
    }
}

// The report footer's summaries that no group summary has been matched with yet.
using GrandTotals = std::vector<ObjectPtr>;

GrandTotals ReportFooterSummaries() {
    GrandTotals out;
    for (const auto& object : AreaObjects(*RequireReport().GetAreaList()->ItemAt("RF"))) {
        if (IsFieldObjectOfKind(*object, FieldKind::Summary)) {
            out.push_back(object);
        }
    }
    return out;
}

// Sets the last entry of SummaryGrandTotal when the report footer shows the same summary
// (same summarized field, same operation). Each footer summary stands for one group summary
// only: the first one that matches takes it, so a grand total that one group asked for does
// not become a second one for another group summarizing the same field the same way.
void MarkGrandTotals(const std::string& fieldName, int operation, GrandTotals& unmatched) {
    for (auto it = unmatched.begin(); it != unmatched.end(); ++it) {
        const auto summary = (*it)->field();
        if (Unbraced(summary->GetSummarizedField()->Name()) == fieldName &&
            static_cast<int>(summary->GetSummaryOperation()) == operation) {
            WizardState& s = State();
            s.SummaryGrandTotal(s.SummaryGrandTotal.UBound()) = true;
            unmatched.erase(it);
            return;
        }
    }
}

// Reads the summaries shown in the area into the summary arrays; returns how many. Without
// append the arrays start over at the area's first summary.
int ImportSummaries(Area& area, bool append, GrandTotals& unmatched) {
    WizardState& s = State();
    int count = 0;
    for (const auto& object : AreaObjects(area)) {
        if (!IsFieldObjectOfKind(*object, FieldKind::Summary)) {
            continue;
        }
        const auto summary = object->field();
        const int size = (!append && count == 0) ? 1 : s.SummaryField.UBound() + 1;
        s.SummaryField.ReDimPreserve(size);
        s.SummaryOperation.ReDimPreserve(size);
        s.SummaryParameter.ReDimPreserve(size);
        s.SummaryGrandTotal.ReDimPreserve(size);
        ++count;

        const std::string field = Unbraced(summary->GetSummarizedField()->Name());
        const int operation = static_cast<int>(summary->GetSummaryOperation());
        s.SummaryField(size) = field;
        s.SummaryOperation(size) = operation;
        s.SummaryParameter(size) = "";
        s.SummaryParameter(size) = ParameterOf(*summary);
        s.SummaryGrandTotal(size) = false;
        MarkGrandTotals(field, operation, unmatched);
    }
    return count;
}

// The summarized field of the summary that sorts the header's groups; "" when none does.
std::string SortFieldOf(const Area& header) {
    const auto summary = header.GetGroupSortSummary();
    return summary ? Unbraced(summary->GetSummarizedField()->Name()) : std::string();
}

// Group g's sorting from its header: Top N and Bottom N with their count, their sort field and
// the others label ("" when the groups beyond N are dropped); Sort All with the field it sorts
// by, ascending unless the groups are sorted by a summary in descending order. Finish sorts the
// groups again by what comes in here, so nothing of the sorting may be left behind.
void ImportGroupSort(const Area& header, int g) {
    WizardState& s = State();
    const auto mode = static_cast<GroupSortMode>(header.GetGroupSortMode());
    s.GroupOthersLabel(g) = resources::LoadResString(kOthersText);
    switch (mode) {
    case GroupSortMode::Unsorted:
    case GroupSortMode::SortAll: {
        const bool descending =
            mode == GroupSortMode::SortAll &&
            header.GetGroupOrder() == static_cast<int>(engine::SortDirection::Descending);
        s.GroupSortKind(g) = kSortAll;
        s.GroupSortValue(g) = descending ? kDescending : kAscending;
        s.GroupSortField(g) = mode == GroupSortMode::SortAll ? SortFieldOf(header) : "";
        break;
    }
    case GroupSortMode::TopN:
    case GroupSortMode::BottomN:
        s.GroupSortKind(g) = mode == GroupSortMode::TopN ? kSortTopN : kSortBottomN;
        s.GroupSortValue(g) = ToInt16(header.GetGroupTopCount(), "group top count");
        s.GroupSortField(g) = SortFieldOf(header);
        if (header.GetDropOthers()) {
            s.GroupOthersLabel(g) = "";
        }
        break;
    }
}

// The group's own record order (0 ascending, 1 descending, 2 original). GetGroupOrder answers
// the direction of the summary sort for a group whose groups are all sorted by a summary; the
// order the records are grouped in is the group's own all the same.
int RecordOrderOf(const Area& header) {
    const auto group = header.GroupData();
    return group ? static_cast<int>(group->order) : header.GetGroupOrder();
}

void ImportGroups() {
    engine::Report& report = RequireReport();
    dialog::frmWizard& form = WizardForm();
    WizardState& s = State();
    forms::Node* parent = &form.GroupTreeView.Nodes().Item(1);
    int running = 0;
    GrandTotals unmatched = ReportFooterSummaries();
    const auto areas = report.GetAreaList();
    for (const auto& header : areas->All()) {
        if (header->AreaKind() != engine::AreaKind::GroupHeader) {
            continue;
        }
        forms::Node& node = form.GroupTreeView.Nodes().Add(
            parent, forms::Relationship::Child, {},
            Unbraced(header->GetGroupConditionField()->Name()), "GroupItem");
        node.SetTag(std::to_string(RecordOrderOf(*header)));
        parent->SetExpanded(true);
        parent = &node;

        const int g = form.GroupTreeView.Nodes().Count() - 1;
        s.GroupSummaryCount.ReDimPreserve(g);
        s.GroupSortKind.ReDimPreserve(g);
        s.GroupSortValue.ReDimPreserve(g);
        s.GroupSortField.ReDimPreserve(g);
        s.GroupOthersLabel.ReDimPreserve(g);

        const auto footer = areas->ItemAt("GF" + std::to_string(header->AreaGroupNumber()));
        // The footer's summaries follow the header's, so the running count includes the
        // header's before the footer is read.
        const int inHeader = ImportSummaries(*header, running != 0, unmatched);
        running += inHeader;
        const int inFooter = ImportSummaries(*footer, running != 0, unmatched);
        running += inFooter;
        s.GroupSummaryCount(g) = ToInt16(inHeader + inFooter, "number of group summaries");

        ImportGroupSort(*header, g);
    }
    if (form.GroupTreeView.Nodes().Count() > 1 && report.GetSelectionFormulaText().empty()) {
        s.ReportHasContent = true;
    }
}

void ImportStyle() {
    WizardForm().StyleList.SetListIndex(RequireReport().GetLayoutStyle());
}

} // namespace

void ImportReport() {
    ImportReportFields();
    ImportGroups();
    ImportStyle();
    WizardForm().TitleText.SetText(RequireReport().GetTitleText());
}

} // namespace foliant::Wizard
