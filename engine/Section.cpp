#include "engine/Section.h"

#include "engine/Area.h"
#include "engine/Report.h"
#include "engine/core/EngineError.h"

#include <algorithm>
#include <optional>
#include <string>

namespace foliant::engine {

namespace {

bool IsNumericOrUnknown(const FieldDefinition& f) {
    return IsNumericType(f.ValueType()) || f.ValueType() == ValueType::Unknown;
}

// Throws unless the operation can summarize the field.
void CheckSummarizable(const FieldDefinition& field, SummaryOperation operation) {
    if (field.Kind() == FieldKind::Summary || field.Kind() == FieldKind::Special ||
        field.Kind() == FieldKind::GroupName) {
        throw EngineError("The field " + field.Name() + " cannot be summarized.");
    }
    if (IsBinaryType(field.ValueType())) {
        throw EngineError("The field " + field.Name() + " holds binary data (" +
                          ValueTypeName(field.ValueType()) + ") and cannot be summarized.");
    }
    if (SummaryNeedsNumericField(operation) && !IsNumericOrUnknown(field)) {
        throw EngineError("The " + SummaryOperationName(operation) + " of " + field.Name() +
                          " cannot be computed: " + field.Name() + " is a " +
                          ValueTypeName(field.ValueType()) + " field, not a number.");
    }
}

// The second field of a correlation, covariance or weighted average, named by the parameter.
std::shared_ptr<FieldDefinition> SecondSummarizedField(Report& report, const FieldDefinition& field,
                                                       SummaryOperation operation,
                                                       const automation::Variant& parameter) {
    const std::string opName = SummaryOperationName(operation);
    const auto* name = parameter.TryGet<std::string>();
    if (!name || name->empty()) {
        throw EngineError("The " + opName + " of " + field.Name() +
                          " needs a second field, given by its braced name.");
    }
    auto second = report.ResolveFieldName(*name);
    if (!IsNumericOrUnknown(*second)) {
        throw EngineError("The second field " + second->Name() + " of the " + opName + " of " +
                          field.Name() + " is a " + ValueTypeName(second->ValueType()) +
                          " field, not a number.");
    }
    return second;
}

// The parameter as a whole number, from a number or a text of digits (the empty text is 0);
// nothing for anything else.
std::optional<long long> WholeNumber(const automation::Variant& parameter) {
    if (const auto* i16 = parameter.TryGet<std::int16_t>()) {
        return *i16;
    }
    if (const auto* i32 = parameter.TryGet<std::int32_t>()) {
        return *i32;
    }
    if (const auto* d = parameter.TryGet<double>()) {
        // The range first: converting a value outside it (or NaN) is undefined.
        if (*d < 1e9 && *d > -1e9 && *d == static_cast<double>(static_cast<long long>(*d))) {
            return static_cast<long long>(*d);
        }
        return std::nullopt;
    }
    if (const auto* s = parameter.TryGet<std::string>()) {
        if (s->empty()) {
            return 0;
        }
        try {
            std::size_t used = 0;
            const long long n = std::stoll(*s, &used);
            return used == s->size() ? std::optional<long long>(n) : std::nullopt;
        } catch (const std::exception&) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// The N (or P) of a summary that takes one. 0 and the empty text mean none was given, which
// takes the first: N = 1 (P = 1). A P above 100 is kept as given and computed as 100. Throws
// for anything else, naming the summary.
int SummaryNumber(const FieldDefinition& field, SummaryOperation operation,
                  const automation::Variant& parameter) {
    const auto n = WholeNumber(parameter);
    if (!n || *n < 0 || *n > kLargestSummaryNumber) {
        throw EngineError("The " + SummaryOperationName(operation) + " of " + field.Name() +
                          " needs " + (operation == SummaryOperation::Percentile ? "P" : "N") +
                          ", a whole number from 1 to " + std::to_string(kLargestSummaryNumber) +
                          ".");
    }
    return *n == 0 ? 1 : static_cast<int>(*n);
}

} // namespace

std::string Section::Name() const {
    const auto area = area_.lock();
    if (!area) {
        return "(removed)";
    }
    const auto& sections = area->Sections();
    if (sections.size() <= 1) {
        return area->Name();
    }
    const auto it = std::find_if(sections.begin(), sections.end(),
                                 [this](const auto& s) { return s.get() == this; });
    const auto index = static_cast<std::size_t>(it - sections.begin());
    return area->Name() + static_cast<char>('a' + static_cast<int>(index % 26));
}

std::shared_ptr<Report> Section::OwningReport() const {
    const auto area = area_.lock();
    auto report = area ? area->GetReport() : nullptr;
    if (!report) {
        throw EngineError("The section is no longer part of a report.");
    }
    return report;
}

void Section::SetSectionHeight(int height) {
    if (height < 0) {
        throw EngineError("The height of section " + Name() + " cannot be " +
                          std::to_string(height) + ": it must be 0 or more twips.");
    }
    height_ = height;
}

std::shared_ptr<ObjectList> Section::SectionObjects() {
    auto self = shared_from_this();
    return std::make_shared<ObjectList>(
        "object", " in section " + Name(), [self] { return self->objects_; },
        [](const ReportObject& o, const std::string& key) {
            return o.Kind() == ObjectKind::Field ? o.field()->Name() == key : o.text() == key;
        });
}

std::shared_ptr<ReportObject> Section::Adopt(std::shared_ptr<ReportObject> object, int left,
                                             int top) {
    object->section_ = shared_from_this();
    object->SetLeft(left);
    object->SetTop(top);
    objects_.push_back(object);
    return object;
}

std::shared_ptr<ReportObject> Section::PlaceFieldObject(const std::string& fieldName, int left,
                                                        int top) {
    return PlaceFieldObject(OwningReport()->ResolveFieldName(fieldName), left, top);
}

std::shared_ptr<ReportObject>
Section::PlaceFieldObject(const std::shared_ptr<FieldDefinition>& field, int left, int top) {
    const auto report = OwningReport();
    if (!field) {
        throw EngineError("No field was given to place in section " + Name() + ".");
    }
    if (!report->OwnsDefinition(*field)) {
        throw EngineError("The field " + field->Name() + " does not belong to this report.");
    }
    if (field->Kind() == FieldKind::Summary) {
        // A summary is shown only where it is computed: its group's header or footer, or the
        // report header or footer it totals.
        const auto summaryArea = field->GetSummaryArea();
        const auto area = GetArea();
        const bool sameGroup = summaryArea->AreaGroupNumber() != 0 &&
                               area->AreaGroupNumber() == summaryArea->AreaGroupNumber();
        if (!sameGroup && area != summaryArea) {
            throw EngineError("The summary " + field->Name() + " belongs to area " +
                              summaryArea->Name() + " and cannot be shown in section " + Name() +
                              ".");
        }
    }
    std::shared_ptr<ReportObject> object(new ReportObject);
    object->kind_ = ObjectKind::Field;
    object->field_ = field;
    object->width_ = field->DefaultWidth();
    object->section_ = shared_from_this();
    return Adopt(object, left, top);
}

std::shared_ptr<ReportObject> Section::PlaceTextObject(const std::string& text, int left, int top) {
    OwningReport();
    std::shared_ptr<ReportObject> object(new ReportObject);
    object->kind_ = ObjectKind::Text;
    object->text_ = text;
    object->width_ = std::max(240, static_cast<int>(text.size()) * 120);
    object->section_ = shared_from_this();
    return Adopt(object, left, top);
}

std::shared_ptr<ReportObject> Section::PlaceSummaryObject(const std::string& fieldName,
                                                          int operation, int left, int top,
                                                          const automation::Variant& parameter) {
    if (!IsValidSummaryOperation(operation)) {
        throw EngineError("Summary operation " + std::to_string(operation) +
                          " is not one of 0 to 18 (section " + Name() + ").");
    }
    return PlaceSummaryObject(fieldName, static_cast<SummaryOperation>(operation), left, top,
                              parameter);
}

std::shared_ptr<ReportObject> Section::PlaceSummaryObject(const std::string& fieldName,
                                                          SummaryOperation operation, int left,
                                                          int top,
                                                          const automation::Variant& parameter) {
    const auto report = OwningReport();
    if (!IsValidSummaryOperation(static_cast<int>(operation))) {
        throw EngineError("Summary operation " + std::to_string(static_cast<int>(operation)) +
                          " is not one of 0 to 18 (section " + Name() + ").");
    }
    const auto summaryArea = SummaryAreaForPlacing(*report);
    const auto field = report->ResolveFieldName(fieldName);
    CheckSummarizable(*field, operation);

    std::shared_ptr<FieldDefinition> second;
    int number = 0;
    if (SummaryNeedsSecondField(operation)) {
        second = SecondSummarizedField(*report, *field, operation, parameter);
    } else if (SummaryNeedsNumber(operation)) {
        number = SummaryNumber(*field, operation, parameter);
    } else if (!parameter.IsEmpty()) {
        throw EngineError("The " + SummaryOperationName(operation) + " of " + field->Name() +
                          " takes no parameter.");
    }
    const auto summary = report->FindOrAddSummary(field, operation, summaryArea, second, number);
    return PlaceFieldObject(summary, left, top);
}

std::shared_ptr<Area> Section::SummaryAreaForPlacing(const Report& report) const {
    const auto area = GetArea();
    switch (area->AreaKind()) {
    case AreaKind::GroupHeader:
    case AreaKind::ReportHeader:
    case AreaKind::ReportFooter:
        return area;
    case AreaKind::GroupFooter:
        return report.GroupHeader(area->AreaGroupNumber());
    default:
        throw EngineError("A summary cannot be placed in section " + Name() +
                          ": summaries go in a group header or footer, or in the report "
                          "header or footer.");
    }
}

void Section::DiscardObject(const std::shared_ptr<ReportObject>& object) {
    const auto it = std::find(objects_.begin(), objects_.end(), object);
    if (!object || it == objects_.end()) {
        throw EngineError("Cannot discard " + (object ? object->Describe() : "no object") +
                          ": it is not in section " + Name() + ".");
    }
    const auto report = OwningReport();
    objects_.erase(it);
    object->section_.reset();
    if (object->Kind() == ObjectKind::Field && object->field_->Kind() == FieldKind::Summary) {
        report->RemoveSummaryIfUnused(object->field_);
    }
}

void Section::DiscardObject(int index) {
    DiscardObject(SectionObjects()->ItemAt(index));
}

} // namespace foliant::engine
