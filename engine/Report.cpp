#include "engine/Report.h"

#include "engine/ReportFieldCatalog.h"
#include "engine/ReportFile.h"
#include "engine/core/EngineError.h"
#include "engine/formula/Formula.h"

#include <algorithm>
#include <string>

namespace foliant::engine {

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
    return Create(DataSource::Open(databasePath));
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

void Report::SwapContents(Report& other) {
    if (dataSource_ != other.dataSource_) {
        throw EngineError("Cannot exchange the content of two reports over different data "
                          "sources (" +
                          dataSource_->Path() + " and " + other.dataSource_->Path() + ").");
    }
    std::swap(areas_, other.areas_);
    std::swap(groups_, other.groups_);
    std::swap(formulas_, other.formulas_);
    std::swap(parameters_, other.parameters_);
    std::swap(runningTotals_, other.runningTotals_);
    std::swap(sqlExpressions_, other.sqlExpressions_);
    std::swap(summaries_, other.summaries_);
    std::swap(sorts_, other.sorts_);
    std::swap(specials_, other.specials_);
    std::swap(selectionFormula_, other.selectionFormula_);
    std::swap(title_, other.title_);
    std::swap(style_, other.style_);
    for (Report* report : {this, &other}) {
        for (const auto& area : report->areas_) {
            area->report_ = report->weak_from_this();
        }
    }
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

std::vector<std::shared_ptr<ReportObject>> Report::AllObjects() const {
    std::vector<std::shared_ptr<ReportObject>> all;
    for (const auto& area : areas_) {
        for (const auto& section : area->Sections()) {
            all.insert(all.end(), section->Objects().begin(), section->Objects().end());
        }
    }
    return all;
}

void Report::SaveToFile(const std::string& path, int option) {
    SaveReportToFile(*this, path, option);
    filePath_ = path;
}

} // namespace foliant::engine
