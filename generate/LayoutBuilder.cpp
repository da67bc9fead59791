#include "generate/LayoutBuilder.h"

#include "engine/LayoutStyle.h"
#include "engine/ReportFile.h"
#include "engine/core/EngineError.h"
#include "resources/Resources.h"
#include "wizard/FieldLookup.h"

#include <algorithm>

namespace foliant::generate {

namespace {

using engine::FieldKind;
using engine::HorizontalAlignment;
using engine::ReportObject;
using engine::SummaryOperation;
using engine::ValueType;

// The heading of a column over the plain field name: the part after the table name, or the
// name without the sign of a formula, parameter, running total or SQL expression.
std::string HeadingOf(const std::string& field) {
    const auto dot = field.find('.');
    if (dot != std::string::npos) {
        // The last n characters, n being the length of the piece after the first dot.
        const auto next = field.find('.', dot + 1);
        const std::size_t n = (next == std::string::npos ? field.size() : next) - dot - 1;
        return field.substr(field.size() - n);
    }
    if (!field.empty() && std::string_view("?@#%").find(field.front()) != std::string::npos) {
        return field.substr(1);
    }
    return field;
}

void RaiseHeight(engine::Section& section, const engine::ReportObject& object) {
    section.SetSectionHeight(
        std::max(section.SectionHeight(), object.Top() + object.ObjectHeight()));
}

engine::GroupCondition ConditionFor(ValueType type) {
    switch (type) {
    case ValueType::Date:
    case ValueType::DateTime:
        return engine::GroupCondition::EachDay;
    case ValueType::Time:
        return engine::GroupCondition::EachTimeValue;
    default:
        return engine::GroupCondition::EachValue;
    }
}

// The parameter an operation takes: the braced second field, N (or P), or none.
automation::Variant ParameterOf(const SummaryChoice& summary) {
    switch (summary.operation) {
    case SummaryOperation::Correlation:
    case SummaryOperation::Covariance:
    case SummaryOperation::WeightedAverage:
        return automation::Variant("{" + summary.secondField + "}");
    case SummaryOperation::Percentile:
    case SummaryOperation::NthLargest:
    case SummaryOperation::NthSmallest:
    case SummaryOperation::NthMostFrequent:
        return automation::Variant(summary.number);
    default:
        return {};
    }
}

// The summary of group g whose summarized field is the named one, or null.
std::shared_ptr<engine::FieldDefinition> GroupSummaryOf(engine::Report& report, int g,
                                                        const std::string& field) {
    const std::string braced = "{" + field + "}";
    for (const auto& summary : report.GetSummaryList()->All()) {
        const auto area = summary->GetSummaryArea();
        if (summary->GetSummarizedField()->Name() == braced && area &&
            area->AreaKind() == engine::AreaKind::GroupHeader && area->AreaGroupNumber() == g) {
            return summary;
        }
    }
    return nullptr;
}

// The string id of the grand-total label as the wizard's texts name it.
constexpr int kGrandTotalText = 251;

bool IsFieldOfKind(const ReportObject& object, FieldKind kind) {
    return object.Kind() == engine::ObjectKind::Field && object.field() &&
           object.field()->Kind() == kind;
}

bool IsSpecialField(const ReportObject& object, const char* name) {
    return IsFieldOfKind(object, FieldKind::Special) && object.field()->Name() == name;
}

// The objects of every section of the named area, section after section.
std::vector<std::shared_ptr<ReportObject>> ObjectsOfArea(const engine::Report& report,
                                                         const std::string& name) {
    std::vector<std::shared_ptr<ReportObject>> out;
    if (const auto area = report.FindArea(name)) {
        for (const auto& section : area->Sections()) {
            out.insert(out.end(), section->Objects().begin(), section->Objects().end());
        }
    }
    return out;
}

// Deletes, in every section of the named area, each object the predicate picks.
template <typename Pick> void DiscardWhere(engine::Report& report, const char* name, Pick pick) {
    const auto area = report.FindArea(name);
    if (!area) {
        return;
    }
    for (const auto& section : area->Sections()) {
        for (int i = 1; i <= static_cast<int>(section->Objects().size());) {
            if (pick(*section->Objects()[static_cast<std::size_t>(i - 1)])) {
                section->DiscardObject(i);
            } else {
                ++i;
            }
        }
    }
}

// The build itself, on the report it is given; stops at the first engine error.
void BuildInPlace(engine::Report& report, const ReportChoices& choices) {
    if (HoldsWizardOutput(report)) {
        ClearWizardOutput(report);
    }
    if (!choices.selectionFormula.empty()) {
        report.SetSelectionFormulaText(choices.selectionFormula);
    }
    PlaceColumns(report, choices.columns, PlaceTitleAndDate(report, choices.title));
    AddGroupsAndSummaries(report, choices.groups);
    ApplyGroupSorting(report, choices.groups);
    report.ApplyLayoutStyle(choices.style);
}

} // namespace

bool HoldsWizardOutput(const engine::Report& report) {
    if (report.GroupCount() > 0) {
        return true;
    }
    const auto any = [&](const char* area, auto pick) {
        const auto objects = ObjectsOfArea(report, area);
        return std::any_of(objects.begin(), objects.end(),
                           [&](const auto& object) { return pick(*object); });
    };
    return any("D", [](const ReportObject& o) { return o.Kind() == engine::ObjectKind::Field; }) ||
           any("PH",
               [](const ReportObject& o) {
                   return IsSpecialField(o, "PrintDate") || IsSpecialField(o, "ReportTitle");
               }) ||
           any("RF", [](const ReportObject& o) { return IsFieldOfKind(o, FieldKind::Summary); });
}

void ClearWizardOutput(engine::Report& report) {
    DiscardWhere(report, "PH", [](const ReportObject& o) {
        return o.Kind() == engine::ObjectKind::Text || IsSpecialField(o, "PrintDate") ||
               IsSpecialField(o, "ReportTitle");
    });
    DiscardWhere(report, "D",
                 [](const ReportObject& o) { return o.Kind() == engine::ObjectKind::Field; });
    while (report.GroupCount() > 0) {
        report.DropGroup(1);
    }
    // The engine labels grand totals in its own words; a label typed in the wizard's language
    // goes too.
    const std::string translated = resources::LoadResString(kGrandTotalText);
    DiscardWhere(report, "RF", [&](const ReportObject& o) {
        return IsFieldOfKind(o, FieldKind::Summary) ||
               (o.Kind() == engine::ObjectKind::Text &&
                (o.text() == engine::kGrandTotalLabel || o.text() == translated));
    });
}

int PlaceTitleAndDate(engine::Report& report, const std::string& title) {
    const auto header = report.GetSectionList()->ItemAt("PH");
    int titleOffset = 0;
    report.SetTitleText(title);
    if (!title.empty()) {
        titleOffset = header->PlaceFieldObject("ReportTitle", 0, 0)->ObjectHeight() + kColumnGap;
    }
    const auto date = header->PlaceFieldObject("PrintDate", 0, titleOffset);
    return titleOffset + date->ObjectHeight() + kColumnGap;
}

int PlaceColumns(engine::Report& report, const std::vector<ColumnChoice>& columns, int headingTop) {
    const auto sections = report.GetSectionList();
    const auto details = sections->ItemAt("D");
    const auto header = sections->ItemAt("PH");
    int x = 0;
    for (const ColumnChoice& column : columns) {
        const auto heading = header->PlaceTextObject(HeadingOf(column.field), 0, 0);
        const auto field = details->PlaceFieldObject(
            column.kind == engine::FieldKind::Special ? column.field : "{" + column.field + "}", 0,
            0);
        if (field->HorizontalAlign() == HorizontalAlignment::Default) {
            heading->SetHorizontalAlign(
                engine::IsNumericType(field->GetFieldDefinition()->ValueType())
                    ? HorizontalAlignment::Right
                    : HorizontalAlignment::Left);
        }
        heading->SetLeft(x);
        heading->SetTop(headingTop);
        heading->SetObjectWidth(field->ObjectWidth());
        field->SetLeft(x);
        field->SetTop(0);
        x = field->Left() + field->ObjectWidth() + kColumnGap;
        if (&column == &columns.back()) {
            RaiseHeight(*details, *field);
            RaiseHeight(*header, *heading);
        }
    }
    return x;
}

void PlaceGroupSummaries(engine::Report& report, int g,
                         const std::vector<SummaryChoice>& summaries) {
    const auto reportFooter = report.GetSectionList()->ItemAt("RF");
    const auto footer =
        report.GetAreaList()->ItemAt("GF" + std::to_string(g))->AreaSections()->ItemAt(1);
    int left = 0;
    int top = 0;
    if (!footer->Objects().empty()) {
        left = footer->Objects().back()->Left();
        top = footer->Objects().back()->Top();
    }
    int grandTotalLeft = 0;
    for (const SummaryChoice& summary : summaries) {
        const std::string field = "{" + summary.field + "}";
        const automation::Variant parameter = ParameterOf(summary);
        left += kColumnGap;
        footer->PlaceSummaryObject(field, summary.operation, left, top, parameter);
        if (summary.grandTotal) {
            reportFooter->PlaceSummaryObject(field, summary.operation, grandTotalLeft, 0,
                                             parameter);
            grandTotalLeft += kColumnGap;
        }
    }
}

void AddGroupsAndSummaries(engine::Report& report, const std::vector<GroupChoice>& groups) {
    int position = 0;
    for (const GroupChoice& group : groups) {
        const auto field = Wizard::FindFieldDefinition(report, group.field);
        if (!field) {
            throw engine::EngineError("Cannot group on {" + group.field +
                                      "}: the report has no field of that name.");
        }
        report.InsertGroup(position, field, ConditionFor(field->ValueType()), group.order);
        position += 1;
        PlaceGroupSummaries(report, position, group.summaries);
    }
}

void ApplyGroupSorting(engine::Report& report, const std::vector<GroupChoice>& groups) {
    for (int g = 1; g <= static_cast<int>(groups.size()); ++g) {
        const GroupSortChoice& sort = groups[static_cast<std::size_t>(g - 1)].sort;
        const auto summary = GroupSummaryOf(report, g, sort.field);
        if (!summary) {
            continue;
        }
        switch (sort.mode) {
        case engine::GroupSortMode::TopN:
        case engine::GroupSortMode::BottomN: {
            const auto header = report.GroupHeader(g);
            header->SetGroupSortMode(static_cast<int>(sort.mode));
            header->SetGroupTopCount(sort.topCount);
            header->SetDropOthers(sort.dropOthers);
            header->SetGroupSortSummary(summary);
            break;
        }
        case engine::GroupSortMode::SortAll:
            report.GetSummarySortList()->AddSummarySort(summary, static_cast<int>(sort.direction));
            break;
        case engine::GroupSortMode::Unsorted:
            break;
        }
    }
}

void BuildReportLayout(engine::Report& report, const ReportChoices& choices) {
    const auto copy = engine::CopyReport(report);
    BuildInPlace(*copy, choices);
    report.SwapContents(*copy);
}

} // namespace foliant::generate
