#include "engine/Report.h"

#include "engine/ReportFieldCatalog.h"
#include "engine/formula/Formula.h"

#include "engine/ReportFile.h"
#include "engine/core/EngineError.h"

#include <algorithm>
#include <string>

namespace foliant::engine {

namespace {

std::string AreaPrefix(AreaKind kind) {
    switch (kind) {
    case AreaKind::ReportHeader:
        return "RH";
    case AreaKind::PageHeader:
        return "PH";
    case AreaKind::GroupHeader:
        return "GH";
    case AreaKind::Details:
        return "D";
    case AreaKind::GroupFooter:
        return "GF";
    case AreaKind::PageFooter:
        return "PF";
    case AreaKind::ReportFooter:
        return "RF";
    }
    return "?";
}

bool IsBinaryType(ValueType t) {
    return t == ValueType::Bytes || static_cast<int>(t) >= static_cast<int>(ValueType::Picture);
}

// The N (or P) of a summary that takes one, from a number or a text of digits. 0 and the empty
// text mean none was given, which takes the first: N = 1 (P = 1). A P above 100 is kept as
// given and computed as 100. Throws for anything else, naming the summary.
int SummaryNumberOf(const automation::Variant& parameter, SummaryOperation operation,
                    const std::string& summary) {
    long long n = 0;
    bool ok = true;
    if (const auto* i16 = parameter.TryGet<std::int16_t>()) {
        n = *i16;
    } else if (const auto* i32 = parameter.TryGet<std::int32_t>()) {
        n = *i32;
    } else if (const auto* d = parameter.TryGet<double>()) {
        ok = *d == static_cast<double>(static_cast<long long>(*d)) && *d < 1e9 && *d > -1e9;
        n = ok ? static_cast<long long>(*d) : 0;
    } else if (const auto* s = parameter.TryGet<std::string>()) {
        try {
            std::size_t used = 0;
            n = s->empty() ? 0 : std::stoll(*s, &used);
            ok = s->empty() || used == s->size();
        } catch (const std::exception&) {
            ok = false;
        }
    } else {
        ok = false;
    }
    if (!ok || n < 0 || n > kLargestSummaryNumber) {
        throw EngineError(
            summary + " needs " + (operation == SummaryOperation::Percentile ? "P" : "N") +
            ", a whole number from 1 to " + std::to_string(kLargestSummaryNumber) + ".");
    }
    return n == 0 ? 1 : static_cast<int>(n);
}

bool IsValidCondition(int c) {
    return (c >= 0 && c <= 11) || c == 14 || c == 15;
}

// Conditions that cut a date into periods, and those that cut a time of day.
bool IsDateCondition(GroupCondition c) {
    return static_cast<int>(c) >= 0 && static_cast<int>(c) <= 7;
}
bool IsTimeCondition(GroupCondition c) {
    const int i = static_cast<int>(c);
    return (i >= 8 && i <= 11) || c == GroupCondition::EachTimeValue;
}

template <typename T> void EraseValue(std::vector<T>& v, const T& value) {
    v.erase(std::remove(v.begin(), v.end(), value), v.end());
}

} // namespace

// ---------------------------------------------------------------- ReportObject

std::shared_ptr<FieldDefinition> ReportObject::field() const {
    if (kind_ != ObjectKind::Field) {
        throw EngineError("The text object \"" + text_ + "\"" +
                          (section_.lock() ? " in section " + section_.lock()->Name() : "") +
                          " shows no field.");
    }
    return field_;
}

std::string ReportObject::text() const {
    if (kind_ != ObjectKind::Text) {
        throw EngineError(Describe() + " has no text: it is a field object.");
    }
    return text_;
}

void ReportObject::SetText(const std::string& text) {
    if (kind_ != ObjectKind::Text) {
        throw EngineError("Cannot set the text of " + Describe() + ": it is a field object.");
    }
    text_ = text;
}

std::string ReportObject::Describe() const {
    std::string what = kind_ == ObjectKind::Field ? "the field object " + field_->Name()
                                                  : "the text object \"" + text_ + "\"";
    if (const auto s = section_.lock()) {
        what += " in section " + s->Name();
    }
    return what;
}

void ReportObject::CheckDimension(const char* what, int value, int minimum) const {
    if (value < minimum) {
        throw EngineError(std::string("The ") + what + " of " + Describe() + " cannot be " +
                          std::to_string(value) + ": it must be at least " +
                          std::to_string(minimum) + " twips.");
    }
}

void ReportObject::SetLeft(int left) {
    CheckDimension("left position", left, 0);
    left_ = left;
}

void ReportObject::SetTop(int top) {
    CheckDimension("top position", top, 0);
    top_ = top;
}

void ReportObject::SetObjectWidth(int width) {
    CheckDimension("width", width, 1);
    width_ = width;
}

void ReportObject::SetObjectHeight(int height) {
    CheckDimension("height", height, 1);
    height_ = height;
}

void ReportObject::SetHorizontalAlign(HorizontalAlignment align) {
    SetHorizontalAlign(static_cast<int>(align));
}

void ReportObject::SetHorizontalAlign(int align) {
    if (align < 0 || align > 3) {
        throw EngineError("Alignment " + std::to_string(align) + " of " + Describe() +
                          " is not one of 0 default, 1 left, 2 centre, 3 right.");
    }
    align_ = static_cast<HorizontalAlignment>(align);
}

// ---------------------------------------------------------------- Section

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
    const auto area = GetArea();
    if (!IsValidSummaryOperation(static_cast<int>(operation))) {
        throw EngineError("Summary operation " + std::to_string(static_cast<int>(operation)) +
                          " is not one of 0 to 18 (section " + Name() + ").");
    }
    const std::string opName = SummaryOperationName(operation);
    std::shared_ptr<Area> summaryArea;
    switch (area->AreaKind()) {
    case AreaKind::GroupHeader:
        summaryArea = area;
        break;
    case AreaKind::GroupFooter:
        summaryArea = report->GroupHeader(area->AreaGroupNumber());
        break;
    case AreaKind::ReportHeader:
    case AreaKind::ReportFooter:
        summaryArea = area;
        break;
    default:
        throw EngineError("A summary cannot be placed in section " + Name() +
                          ": summaries go in a group header or footer, or in the report "
                          "header or footer.");
    }

    const auto field = report->ResolveFieldName(fieldName);
    if (field->Kind() == FieldKind::Summary || field->Kind() == FieldKind::Special ||
        field->Kind() == FieldKind::GroupName) {
        throw EngineError("The field " + field->Name() + " cannot be summarized.");
    }
    if (IsBinaryType(field->ValueType())) {
        throw EngineError("The field " + field->Name() + " holds binary data (" +
                          ValueTypeName(field->ValueType()) + ") and cannot be summarized.");
    }
    const auto isNumeric = [](const FieldDefinition& f) {
        return IsNumericType(f.ValueType()) || f.ValueType() == ValueType::Unknown;
    };
    if (SummaryNeedsNumericField(operation) && !isNumeric(*field)) {
        throw EngineError("The " + opName + " of " + field->Name() +
                          " cannot be computed: " + field->Name() + " is a " +
                          ValueTypeName(field->ValueType()) + " field, not a number.");
    }

    std::shared_ptr<FieldDefinition> second;
    int number = 0;
    if (SummaryNeedsSecondField(operation)) {
        const auto* name = parameter.TryGet<std::string>();
        if (!name || name->empty()) {
            throw EngineError("The " + opName + " of " + field->Name() +
                              " needs a second field, given by its braced name.");
        }
        second = report->ResolveFieldName(*name);
        if (!isNumeric(*second)) {
            throw EngineError("The second field " + second->Name() + " of the " + opName + " of " +
                              field->Name() + " is a " + ValueTypeName(second->ValueType()) +
                              " field, not a number.");
        }
    } else if (SummaryNeedsNumber(operation)) {
        number = SummaryNumberOf(parameter, operation, "The " + opName + " of " + field->Name());
    } else if (!parameter.IsEmpty()) {
        throw EngineError("The " + opName + " of " + field->Name() + " takes no parameter.");
    }

    const auto summary = report->FindOrAddSummary(field, operation, summaryArea, second, number);
    return PlaceFieldObject(summary, left, top);
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

// ---------------------------------------------------------------- Area

std::string Area::Name() const {
    if (group_) {
        return AreaPrefix(kind_) + std::to_string(group_->number);
    }
    return AreaPrefix(kind_);
}

std::shared_ptr<SectionList> Area::AreaSections() {
    auto self = shared_from_this();
    return std::make_shared<SectionList>(
        "section", " in area " + Name(), [self] { return self->sections_; },
        [](const Section& s, const std::string& key) { return s.Name() == key; });
}

int Area::AreaGroupNumber() const {
    return group_ ? group_->number : 0;
}

Group& Area::RequireGroup(const char* operation) const {
    if (!group_) {
        throw EngineError(std::string(operation) + ": area " + Name() +
                          " is not a group header or footer.");
    }
    return *group_;
}

Group& Area::RequireHeader(const char* operation) const {
    if (kind_ != AreaKind::GroupHeader) {
        throw EngineError(std::string(operation) + ": area " + Name() +
                          " is not a group header; group sorting is set on the group header" +
                          (group_ ? " GH" + std::to_string(group_->number) : std::string()) + ".");
    }
    return *group_;
}

std::shared_ptr<FieldDefinition> Area::GetGroupConditionField() const {
    return RequireGroup("GetGroupConditionField").field;
}

GroupCondition Area::GetGroupCondition() const {
    return RequireGroup("GetGroupCondition").condition;
}

int Area::GetGroupOrder() const {
    const Group& g = RequireGroup("GetGroupOrder");
    if (g.sortMode == GroupSortMode::SortAll) {
        if (const auto report = report_.lock()) {
            for (const auto& sort : report->SummarySorts()) {
                if (sort->GetSummary()->GetSummaryArea()->GroupData().get() == &g) {
                    return static_cast<int>(sort->GetSortDirection());
                }
            }
        }
    }
    return static_cast<int>(g.order);
}

int Area::GetGroupSortMode() const {
    return static_cast<int>(RequireHeader("GetGroupSortMode").sortMode);
}

void Area::SetGroupSortMode(int mode) {
    Group& g = RequireHeader("SetGroupSortMode");
    if (mode < 0 || mode > 3) {
        throw EngineError("Sort mode " + std::to_string(mode) + " of group " +
                          std::to_string(g.number) +
                          " is not one of 0 unsorted, 1 sort all, 2 top N, 3 bottom N.");
    }
    const auto report = report_.lock();
    const auto newMode = static_cast<GroupSortMode>(mode);
    if (newMode == GroupSortMode::SortAll) {
        bool hasSort = false;
        for (const auto& sort : report->SummarySorts()) {
            hasSort = hasSort || sort->GetSummary()->GetSummaryArea()->GroupData().get() == &g;
        }
        if (!hasSort) {
            throw EngineError("Group " + std::to_string(g.number) +
                              " cannot sort all its groups: none of its summaries is in the "
                              "summary sort list (use AddSummarySort).");
        }
    } else {
        // Only sort mode 1 uses the summary sort list; other modes take the group out of it.
        std::vector<std::shared_ptr<FieldDefinition>> drop;
        for (const auto& sort : report->SummarySorts()) {
            if (sort->GetSummary()->GetSummaryArea()->GroupData().get() == &g) {
                drop.push_back(sort->GetSummary());
            }
        }
        for (const auto& s : drop) {
            report->RemoveSortsOf(s);
        }
    }
    g.sortMode = newMode;
}

int Area::GetGroupTopCount() const {
    return RequireHeader("GetGroupTopCount").topCount;
}

void Area::SetGroupTopCount(int count) {
    Group& g = RequireHeader("SetGroupTopCount");
    if (count < 1) {
        throw EngineError("Group " + std::to_string(g.number) + " cannot keep the top " +
                          std::to_string(count) + " groups: N must be at least 1.");
    }
    g.topCount = count;
}

bool Area::GetDropOthers() const {
    return RequireHeader("GetDropOthers").dropOthers;
}

void Area::SetDropOthers(bool drop) {
    RequireHeader("SetDropOthers").dropOthers = drop;
}

std::shared_ptr<FieldDefinition> Area::GetGroupSortSummary() const {
    const Group& g = RequireHeader("GetGroupSortSummary");
    if (auto s = g.sortSummary.lock()) {
        return s;
    }
    if (g.sortMode == GroupSortMode::SortAll) {
        if (const auto report = report_.lock()) {
            for (const auto& sort : report->SummarySorts()) {
                if (sort->GetSummary()->GetSummaryArea()->GroupData().get() == &g) {
                    return sort->GetSummary();
                }
            }
        }
    }
    return nullptr;
}

void Area::SetGroupSortSummary(const std::shared_ptr<FieldDefinition>& summary) {
    Group& g = RequireHeader("SetGroupSortSummary");
    if (!summary || summary->Kind() != FieldKind::Summary) {
        throw EngineError("Group " + std::to_string(g.number) +
                          " can only be sorted by a "
                          "summary" +
                          (summary ? ", not by " + summary->Name() : std::string()) + ".");
    }
    const auto report = report_.lock();
    if (!report->OwnsDefinition(*summary) || summary->GetSummaryArea().get() != this) {
        throw EngineError("The summary " + summary->Name() + " is not a summary of group " +
                          std::to_string(g.number) + " and cannot sort its groups.");
    }
    g.sortSummary = summary;
}

// ---------------------------------------------------------------- SummarySortList

SummarySortList::SummarySortList(std::shared_ptr<Report> report)
    : ItemList<SummarySort>(
          "summary sort", "", [r = report.get()] { return r->SummarySorts(); },
          [](const SummarySort& s, const std::string& key) {
              return s.GetSummary()->Name() == key;
          }),
      report_(std::move(report)) {}

void SummarySortList::AddSummarySort(const std::shared_ptr<FieldDefinition>& summary,
                                     int direction) {
    report_->AddSummarySort(summary, direction);
}

// ---------------------------------------------------------------- Report

std::shared_ptr<Report> Report::Create(std::shared_ptr<DataSource> dataSource) {
    if (!dataSource) {
        throw EngineError("A report needs a data source.");
    }
    std::shared_ptr<Report> report(new Report);
    report->dataSource_ = std::move(dataSource);
    for (AreaKind kind : {AreaKind::ReportHeader, AreaKind::PageHeader, AreaKind::Details,
                          AreaKind::ReportFooter, AreaKind::PageFooter}) {
        report->areas_.push_back(report->MakeArea(kind, nullptr));
    }
    return report;
}

std::shared_ptr<Report> Report::CreateOverDatabase(const std::string& databasePath) {
    return Create(DataSource::OpenSqlite(databasePath));
}

std::shared_ptr<Area> Report::MakeArea(AreaKind kind, std::shared_ptr<Group> group) {
    std::shared_ptr<Area> area(new Area);
    area->kind_ = kind;
    area->report_ = weak_from_this();
    area->group_ = std::move(group);
    std::shared_ptr<Section> section(new Section);
    section->area_ = area;
    area->sections_.push_back(section);
    return area;
}

std::shared_ptr<AreaList> Report::GetAreaList() {
    auto self = shared_from_this();
    return std::make_shared<AreaList>(
        "area", "", [self] { return self->areas_; },
        [](const Area& a, const std::string& key) { return a.Name() == key; });
}

std::shared_ptr<SectionList> Report::GetSectionList() {
    auto self = shared_from_this();
    return std::make_shared<SectionList>(
        "section", "",
        [self] {
            std::vector<std::shared_ptr<Section>> all;
            for (const auto& a : self->areas_) {
                all.insert(all.end(), a->Sections().begin(), a->Sections().end());
            }
            return all;
        },
        [](const Section& s, const std::string& key) { return s.Name() == key; });
}

std::shared_ptr<DefinitionList>
Report::MakeDefinitionList(std::vector<std::shared_ptr<FieldDefinition>> Report::*member,
                           std::string noun) {
    auto self = shared_from_this();
    return std::make_shared<DefinitionList>(
        std::move(noun), "", [self, member] { return (*self).*member; },
        [](const FieldDefinition& f, const std::string& key) {
            return f.Name() == key || f.ShortName() == key;
        });
}

std::shared_ptr<DefinitionList> Report::GetFormulaList() {
    return MakeDefinitionList(&Report::formulas_, "formula");
}
std::shared_ptr<DefinitionList> Report::GetParameterList() {
    return MakeDefinitionList(&Report::parameters_, "parameter");
}
std::shared_ptr<DefinitionList> Report::GetRunningTotalList() {
    return MakeDefinitionList(&Report::runningTotals_, "running total");
}
std::shared_ptr<DefinitionList> Report::GetSqlExpressionList() {
    return MakeDefinitionList(&Report::sqlExpressions_, "SQL expression");
}
std::shared_ptr<DefinitionList> Report::GetSummaryList() {
    return MakeDefinitionList(&Report::summaries_, "summary");
}

void Report::CheckNewDefinitionName(const std::vector<std::shared_ptr<FieldDefinition>>& existing,
                                    const std::string& name, const char* what) const {
    if (name.empty()) {
        throw EngineError(std::string("A ") + what + " needs a name.");
    }
    if (name.find_first_of("{}") != std::string::npos) {
        throw EngineError(std::string("The ") + what + " name \"" + name +
                          "\" cannot hold braces.");
    }
    for (const auto& d : existing) {
        if (d->ShortName() == name) {
            throw EngineError(std::string("There is already a ") + what + " named " + name + " (" +
                              d->Name() + ").");
        }
    }
}

std::shared_ptr<FieldDefinition> Report::AddFormulaField(const std::string& name,
                                                         const std::string& text, ValueType type) {
    CheckNewDefinitionName(formulas_, name, "formula");
    // A formula may only use fields that exist already, so formulas never refer to each
    // other in a cycle. Its value type is what the text computes.
    formula::CheckedFormula checked;
    try {
        checked = formula::CompileFormulaField(text, ReportFieldCatalog(*this));
    } catch (const formula::FormulaError& e) {
        throw EngineError("The formula " + name + " is not valid: " + e.Description());
    }
    const ValueType computed = checked.ResultValueType();
    if (type != ValueType::Unknown && type != computed) {
        throw EngineError("The formula " + name + " computes a " + ValueTypeName(computed) +
                          " value, not a " + ValueTypeName(type) + " value.");
    }
    formulas_.push_back(FieldDefinition::MakeFormula(name, text, computed));
    return formulas_.back();
}

std::shared_ptr<FieldDefinition> Report::AddParameterField(const std::string& name, ValueType type,
                                                           const std::string& prompt) {
    CheckNewDefinitionName(parameters_, name, "parameter");
    parameters_.push_back(FieldDefinition::MakeParameter(name, type, prompt));
    return parameters_.back();
}

std::shared_ptr<FieldDefinition> Report::AddRunningTotalField(const std::string& name,
                                                              const std::string& fieldName,
                                                              SummaryOperation operation) {
    CheckNewDefinitionName(runningTotals_, name, "running total");
    if (!IsValidSummaryOperation(static_cast<int>(operation)) ||
        SummaryNeedsSecondField(operation) || SummaryNeedsNumber(operation)) {
        throw EngineError("The running total " + name + " cannot use the " +
                          SummaryOperationName(operation) + " operation.");
    }
    const auto field = ResolveFieldName(fieldName);
    if (field->Kind() != FieldKind::Database && field->Kind() != FieldKind::Formula &&
        field->Kind() != FieldKind::SqlExpression) {
        throw EngineError("The running total " + name + " cannot total " + field->Name() +
                          ": only database, formula and SQL expression fields can be totalled.");
    }
    if (SummaryNeedsNumericField(operation) && !IsNumericType(field->ValueType()) &&
        field->ValueType() != ValueType::Unknown) {
        throw EngineError("The running total " + name + " cannot compute the " +
                          SummaryOperationName(operation) + " of " + field->Name() +
                          ": it is not a number.");
    }
    runningTotals_.push_back(FieldDefinition::MakeRunningTotal(name, field, operation));
    return runningTotals_.back();
}

std::shared_ptr<FieldDefinition> Report::AddSqlExpressionField(const std::string& name,
                                                               const std::string& expression,
                                                               ValueType type) {
    CheckNewDefinitionName(sqlExpressions_, name, "SQL expression");
    if (expression.empty()) {
        throw EngineError("The SQL expression " + name + " needs an expression.");
    }
    sqlExpressions_.push_back(FieldDefinition::MakeSqlExpression(name, expression, type));
    return sqlExpressions_.back();
}

std::shared_ptr<FieldDefinition>
Report::LookupFieldDefinition(const std::string& bracedName) const {
    if (bracedName.size() < 3 || bracedName.front() != '{' || bracedName.back() != '}') {
        return nullptr;
    }
    const auto find = [&](const std::vector<std::shared_ptr<FieldDefinition>>& defs) {
        for (const auto& d : defs) {
            if (d->BracedName() == bracedName) {
                return d;
            }
        }
        return std::shared_ptr<FieldDefinition>();
    };
    switch (bracedName[1]) {
    case '@':
        return find(formulas_);
    case '?':
        return find(parameters_);
    case '#':
        return find(runningTotals_);
    case '%':
        return find(sqlExpressions_);
    default:
        return dataSource_->FindDatabaseField(bracedName);
    }
}

std::shared_ptr<FieldDefinition> Report::SpecialField(const std::string& name) {
    auto& def = specials_[name];
    if (!def) {
        def = FieldDefinition::MakeSpecial(name);
    }
    return def;
}

std::shared_ptr<FieldDefinition> Report::ResolveFieldName(const std::string& fieldName) {
    if (FieldDefinition::IsSpecialFieldName(fieldName)) {
        return SpecialField(fieldName);
    }
    for (const auto& g : groups_) {
        if (g->nameField->Name() == fieldName) {
            return g->nameField;
        }
    }
    if (auto def = LookupFieldDefinition(fieldName)) {
        return def;
    }
    if (fieldName.rfind("GroupName (", 0) == 0) {
        throw EngineError("There is no group on the field named in " + fieldName + ".");
    }
    if (fieldName.size() < 3 || fieldName.front() != '{' || fieldName.back() != '}') {
        throw EngineError("There is no field named " + fieldName +
                          ": fields are named in braces, as {Table.Field} or {@Formula}, "
                          "special fields by their plain name, as PrintDate.");
    }
    switch (fieldName[1]) {
    case '@':
        throw EngineError("There is no formula named " + fieldName + ".");
    case '?':
        throw EngineError("There is no parameter named " + fieldName + ".");
    case '#':
        throw EngineError("There is no running total named " + fieldName + ".");
    case '%':
        throw EngineError("There is no SQL expression named " + fieldName + ".");
    default:
        break;
    }
    const std::string inner = fieldName.substr(1, fieldName.size() - 2);
    const auto dot = inner.find('.');
    if (dot != std::string::npos && !dataSource_->FindTable(inner.substr(0, dot))) {
        throw EngineError("There is no field named " + fieldName +
                          ": the data source has no "
                          "table named " +
                          inner.substr(0, dot) + ".");
    }
    if (dot != std::string::npos) {
        throw EngineError("There is no field named " + fieldName + ": table " +
                          inner.substr(0, dot) + " has no field named " + inner.substr(dot + 1) +
                          ".");
    }
    throw EngineError("There is no field named " + fieldName + " in the data source.");
}

bool Report::OwnsDefinition(const FieldDefinition& def) const {
    const auto in = [&](const std::vector<std::shared_ptr<FieldDefinition>>& defs) {
        return std::any_of(defs.begin(), defs.end(),
                           [&](const auto& d) { return d.get() == &def; });
    };
    switch (def.Kind()) {
    case FieldKind::Database:
        return dataSource_->FindDatabaseField(def.Name()).get() == &def;
    case FieldKind::Formula:
        return in(formulas_);
    case FieldKind::Parameter:
        return in(parameters_);
    case FieldKind::RunningTotal:
        return in(runningTotals_);
    case FieldKind::SqlExpression:
        return in(sqlExpressions_);
    case FieldKind::Summary:
        return in(summaries_);
    case FieldKind::Special: {
        const auto it = specials_.find(def.Name());
        return it != specials_.end() && it->second.get() == &def;
    }
    case FieldKind::GroupName:
        return std::any_of(groups_.begin(), groups_.end(),
                           [&](const auto& g) { return g->nameField.get() == &def; });
    }
    return false;
}

void Report::SetSelectionFormulaText(const std::string& text) {
    ValidateSelectionFormula(text);
    selectionFormula_ = text;
}

void Report::ValidateSelectionFormula(const std::string& text) const {
    formula::CompileSelectionFormula(text, ReportFieldCatalog(*this));
}

void Report::SetTitleText(const std::string& title) {
    title_ = title;
}

void Report::ApplyLayoutStyle(int style) {
    RecordLayoutStyle(style);
    ArrangeForStyle();
}

void Report::RecordLayoutStyle(int style) {
    if (style < 0 || style > 9) {
        throw EngineError("There is no layout style " + std::to_string(style) +
                          ": styles are numbered 0 to 9.");
    }
    style_ = style;
}

std::shared_ptr<Area> Report::FindArea(const std::string& name) const {
    for (const auto& a : areas_) {
        if (a->Name() == name) {
            return a;
        }
    }
    return nullptr;
}

std::shared_ptr<Section> Report::FindSection(const std::string& name) const {
    for (const auto& a : areas_) {
        for (const auto& s : a->Sections()) {
            if (s->Name() == name) {
                return s;
            }
        }
    }
    return nullptr;
}

std::shared_ptr<Area> Report::GroupHeader(int groupNumber) const {
    if (groupNumber < 1 || groupNumber > GroupCount()) {
        return nullptr;
    }
    return groups_[static_cast<std::size_t>(groupNumber - 1)]->header.lock();
}

std::shared_ptr<Area> Report::GroupFooter(int groupNumber) const {
    if (groupNumber < 1 || groupNumber > GroupCount()) {
        return nullptr;
    }
    return groups_[static_cast<std::size_t>(groupNumber - 1)]->footer.lock();
}

void Report::Renumber() {
    for (std::size_t i = 0; i < groups_.size(); ++i) {
        groups_[i]->number = static_cast<int>(i + 1);
    }
    // Print order: RH, PH, GH1 … GHn, D, GFn … GF1, RF, PF.
    std::vector<std::shared_ptr<Area>> ordered;
    const auto take = [&](AreaKind kind) {
        for (const auto& a : areas_) {
            if (a->AreaKind() == kind) {
                ordered.push_back(a);
            }
        }
    };
    take(AreaKind::ReportHeader);
    take(AreaKind::PageHeader);
    for (const auto& g : groups_) {
        ordered.push_back(g->header.lock());
    }
    take(AreaKind::Details);
    for (auto it = groups_.rbegin(); it != groups_.rend(); ++it) {
        ordered.push_back((*it)->footer.lock());
    }
    take(AreaKind::ReportFooter);
    take(AreaKind::PageFooter);
    areas_ = std::move(ordered);
}

int Report::InsertGroup(int position, const std::shared_ptr<FieldDefinition>& field, int condition,
                        int order) {
    if (!IsValidCondition(condition)) {
        throw EngineError("Group condition " + std::to_string(condition) +
                          " is not one of 0 to 11, 14 or 15.");
    }
    if (order < 0 || order > 2) {
        throw EngineError("Group order " + std::to_string(order) +
                          " is not one of 0 ascending, 1 descending, 2 original.");
    }
    return InsertGroup(position, field, static_cast<GroupCondition>(condition),
                       static_cast<GroupOrder>(order));
}

int Report::InsertGroup(int position, const std::shared_ptr<FieldDefinition>& field,
                        GroupCondition condition, GroupOrder order) {
    if (position < 0 || position > GroupCount()) {
        throw EngineError("Cannot insert a group at position " + std::to_string(position) +
                          ": the report has " + std::to_string(GroupCount()) +
                          " groups, so the position must be 0 to " + std::to_string(GroupCount()) +
                          ".");
    }
    if (!field) {
        throw EngineError("A group needs a field to group on.");
    }
    if (!OwnsDefinition(*field)) {
        throw EngineError("Cannot group on " + field->Name() +
                          ": the field does not belong to this report.");
    }
    switch (field->Kind()) {
    case FieldKind::Database:
    case FieldKind::Formula:
    case FieldKind::Parameter:
    case FieldKind::SqlExpression:
        break;
    default:
        throw EngineError("Cannot group on " + field->Name() +
                          ": groups are made on database, formula, parameter or SQL expression "
                          "fields.");
    }
    if (!IsValidCondition(static_cast<int>(condition))) {
        throw EngineError("Group condition " + std::to_string(static_cast<int>(condition)) +
                          " is not one of 0 to 11, 14 or 15.");
    }
    if (static_cast<int>(order) < 0 || static_cast<int>(order) > 2) {
        throw EngineError("Group order " + std::to_string(static_cast<int>(order)) +
                          " is not one of 0 ascending, 1 descending, 2 original.");
    }
    const ValueType type = field->ValueType();
    if (IsBinaryType(type)) {
        throw EngineError("Cannot group on " + field->Name() + ": it holds binary data (" +
                          ValueTypeName(type) + ").");
    }
    if (type != ValueType::Unknown) {
        if (IsDateCondition(condition) && !IsDateType(type)) {
            throw EngineError("Cannot group " + field->Name() + " by date periods (condition " +
                              std::to_string(static_cast<int>(condition)) + "): it is a " +
                              ValueTypeName(type) + " field, not a date.");
        }
        if (IsTimeCondition(condition) && type != ValueType::Time && type != ValueType::DateTime) {
            throw EngineError("Cannot group " + field->Name() + " by times of day (condition " +
                              std::to_string(static_cast<int>(condition)) + "): it is a " +
                              ValueTypeName(type) + " field, not a time.");
        }
    }

    auto group = std::make_shared<Group>();
    group->field = field;
    group->condition = condition;
    group->order = order;
    group->nameField = FieldDefinition::MakeGroupName(group);
    const auto header = MakeArea(AreaKind::GroupHeader, group);
    const auto footer = MakeArea(AreaKind::GroupFooter, group);
    group->header = header;
    group->footer = footer;
    areas_.push_back(header);
    areas_.push_back(footer);
    groups_.insert(groups_.begin() + position, group);
    Renumber();
    return position + 1;
}

void Report::DropGroup(int groupNumber) {
    if (groupNumber < 1 || groupNumber > GroupCount()) {
        throw EngineError("There is no group " + std::to_string(groupNumber) + ": the report has " +
                          (GroupCount() == 0 ? std::string("no groups")
                                             : std::to_string(GroupCount()) + " group" +
                                                   (GroupCount() == 1 ? "" : "s")) +
                          ".");
    }
    const auto group = groups_[static_cast<std::size_t>(groupNumber - 1)];
    const auto header = group->header.lock();
    const auto footer = group->footer.lock();

    // The group's summaries and their sorts.
    std::vector<std::shared_ptr<FieldDefinition>> gone;
    for (const auto& s : summaries_) {
        if (s->GetSummaryArea() == header) {
            gone.push_back(s);
        }
    }
    for (const auto& s : gone) {
        RemoveSortsOf(s);
        EraseValue(summaries_, s);
    }
    // Objects elsewhere that show the group's name.
    for (const auto& a : areas_) {
        if (a == header || a == footer) {
            continue;
        }
        for (const auto& sec : a->Sections()) {
            auto& objects = sec->objects_;
            objects.erase(std::remove_if(objects.begin(), objects.end(),
                                         [&](const auto& o) {
                                             return o->Kind() == ObjectKind::Field &&
                                                    o->field_ == group->nameField;
                                         }),
                          objects.end());
        }
    }
    EraseValue(areas_, header);
    EraseValue(areas_, footer);
    EraseValue(groups_, group);
    Renumber();
}

std::shared_ptr<FieldDefinition>
Report::FindOrAddSummary(const std::shared_ptr<FieldDefinition>& field, SummaryOperation op,
                         const std::shared_ptr<Area>& area,
                         const std::shared_ptr<FieldDefinition>& second, int number) {
    for (const auto& s : summaries_) {
        if (s->GetSummarizedField() == field && s->GetSummaryOperation() == op &&
            s->GetSummaryArea() == area && s->GetSummaryNumber() == number &&
            (SummaryNeedsSecondField(op) ? s->GetSecondSummarizedField() == second : true)) {
            return s;
        }
    }
    summaries_.push_back(FieldDefinition::MakeSummary(field, op, area, second, number));
    return summaries_.back();
}

void Report::RemoveSortsOf(const std::shared_ptr<FieldDefinition>& summary) {
    sorts_.erase(std::remove_if(sorts_.begin(), sorts_.end(),
                                [&](const auto& s) { return s->GetSummary() == summary; }),
                 sorts_.end());
    for (const auto& g : groups_) {
        const bool hasSort = std::any_of(sorts_.begin(), sorts_.end(), [&](const auto& s) {
            return s->GetSummary()->GetSummaryArea()->GroupData() == g;
        });
        if (g->sortMode == GroupSortMode::SortAll && !hasSort) {
            g->sortMode = GroupSortMode::Unsorted;
        }
    }
}

void Report::RemoveSummaryIfUnused(const std::shared_ptr<FieldDefinition>& summary) {
    for (const auto& a : areas_) {
        for (const auto& sec : a->Sections()) {
            for (const auto& o : sec->Objects()) {
                if (o->Kind() == ObjectKind::Field && o->field_ == summary) {
                    return;
                }
            }
        }
    }
    RemoveSortsOf(summary);
    for (const auto& g : groups_) {
        if (g->sortSummary.lock() == summary) {
            g->sortSummary.reset();
            if (g->sortMode == GroupSortMode::TopN || g->sortMode == GroupSortMode::BottomN) {
                g->sortMode = GroupSortMode::Unsorted;
            }
        }
    }
    EraseValue(summaries_, summary);
}

std::shared_ptr<SummarySortList> Report::GetSummarySortList() {
    return std::make_shared<SummarySortList>(shared_from_this());
}

void Report::AddSummarySort(const std::shared_ptr<FieldDefinition>& summary, int direction) {
    if (direction != 0 && direction != 1) {
        throw EngineError("Sort direction " + std::to_string(direction) +
                          " is not one of 0 ascending, 1 descending.");
    }
    if (!summary || summary->Kind() != FieldKind::Summary || !OwnsDefinition(*summary)) {
        throw EngineError("Only a summary of this report can be added to the summary sort list" +
                          (summary ? std::string(", not ") + summary->Name() : std::string()) +
                          ".");
    }
    const auto area = summary->GetSummaryArea();
    if (area->AreaKind() != AreaKind::GroupHeader) {
        throw EngineError("The summary " + summary->Name() + " is a grand total in area " +
                          area->Name() + "; only a group's summary can sort its groups.");
    }
    const auto dir = static_cast<SortDirection>(direction);
    for (const auto& s : sorts_) {
        if (s->GetSummary() == summary) {
            s->direction_ = dir;
            area->group_->sortMode = GroupSortMode::SortAll;
            return;
        }
    }
    sorts_.push_back(std::make_shared<SummarySort>(summary, dir));
    area->group_->sortMode = GroupSortMode::SortAll;
}

void Report::SaveToFile(const std::string& path, int option) {
    SaveReportToFile(*this, path, option);
    filePath_ = path;
}

} // namespace foliant::engine
