#include "design/Structure.h"

#include <cctype>

namespace foliant::design {

namespace {

std::string AreaKindName(engine::AreaKind kind) {
    switch (kind) {
    case engine::AreaKind::ReportHeader:
        return "Report Header";
    case engine::AreaKind::PageHeader:
        return "Page Header";
    case engine::AreaKind::GroupHeader:
        return "Group Header";
    case engine::AreaKind::Details:
        return "Details";
    case engine::AreaKind::GroupFooter:
        return "Group Footer";
    case engine::AreaKind::PageFooter:
        return "Page Footer";
    case engine::AreaKind::ReportFooter:
        return "Report Footer";
    }
    return "Area";
}

} // namespace

std::string AreaCaption(const engine::Area& area) {
    std::string caption = AreaKindName(area.AreaKind());
    if (const int group = area.AreaGroupNumber(); group > 0) {
        caption += " " + std::to_string(group);
        if (const auto field = area.GetGroupConditionField()) {
            caption += ": " + field->Name();
        }
    }
    return caption;
}

std::string SectionCaption(const engine::Section& section) {
    return "Section " + section.Name();
}

std::string ObjectKindName(const engine::ReportObject& object) {
    if (object.Kind() == engine::ObjectKind::Text) {
        return "Text";
    }
    switch (object.field()->Kind()) {
    case engine::FieldKind::Database:
        return "Field";
    case engine::FieldKind::Formula:
        return "Formula";
    case engine::FieldKind::Summary:
        return object.GetSection() && object.GetSection()->GetArea() &&
                       object.GetSection()->GetArea()->AreaGroupNumber() == 0
                   ? "Grand Total"
                   : "Summary";
    case engine::FieldKind::Special:
        return "Special Field";
    case engine::FieldKind::GroupName:
        return "Group Name";
    case engine::FieldKind::Parameter:
        return "Parameter";
    case engine::FieldKind::RunningTotal:
        return "Running Total";
    case engine::FieldKind::SqlExpression:
        return "SQL Expression";
    }
    return "Field";
}

std::string ObjectContent(const engine::ReportObject& object) {
    if (object.Kind() == engine::ObjectKind::Text) {
        return "\"" + object.text() + "\"";
    }
    const auto field = object.field();
    if (field->Kind() == engine::FieldKind::Summary && field->GetSummarizedField()) {
        std::string operation = engine::SummaryOperationName(field->GetSummaryOperation());
        operation[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(operation[0])));
        return operation + " of " + field->GetSummarizedField()->Name();
    }
    return field->Name();
}

} // namespace foliant::design
