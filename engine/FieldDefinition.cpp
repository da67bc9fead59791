#include "engine/FieldDefinition.h"

#include "engine/Report.h"
#include "engine/core/EngineError.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

namespace foliant::engine {

namespace {

std::string Upper(std::string s) {
    for (char& c : s) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return s;
}

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

std::string Ordinal(int n) {
    const int lastTwo = n % 100;
    const char* suffix = "th";
    if (lastTwo < 11 || lastTwo > 13) {
        switch (n % 10) {
        case 1:
            suffix = "st";
            break;
        case 2:
            suffix = "nd";
            break;
        case 3:
            suffix = "rd";
            break;
        default:
            break;
        }
    }
    return std::to_string(n) + suffix;
}

} // namespace

DeclaredTypeInfo ValueTypeFromDeclaredType(const std::string& declared) {
    DeclaredTypeInfo info;
    std::string base = declared;
    const auto paren = base.find('(');
    if (paren != std::string::npos) {
        const auto close = base.find(')', paren);
        const std::string inside = base.substr(
            paren + 1, close == std::string::npos ? std::string::npos : close - paren - 1);
        const std::string first = Trim(inside.substr(0, inside.find(',')));
        if (!first.empty() && first.size() < 9 &&
            std::all_of(first.begin(), first.end(),
                        [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
            info.length = std::stoi(first);
        }
        base = base.substr(0, paren);
    }
    // Collapse runs of blanks so "DOUBLE  PRECISION" reads as one name.
    std::string name;
    for (char c : Upper(Trim(base))) {
        if (std::isspace(static_cast<unsigned char>(c))) {
            if (!name.empty() && name.back() != ' ') {
                name += ' ';
            }
        } else {
            name += c;
        }
    }
    if (name.empty()) {
        info.type = ValueType::Unknown;
        return info;
    }
    struct Entry {
        const char* name;
        ValueType type;
    };
    static const std::array<Entry, 37> kNames = {{
        {"TINYINT", ValueType::Int8},
        {"INT1", ValueType::Int8},
        {"SMALLINT", ValueType::Int16},
        {"INT2", ValueType::Int16},
        {"INT", ValueType::Int32},
        {"MEDIUMINT", ValueType::Int32},
        {"INT4", ValueType::Int32},
        {"INTEGER", ValueType::Number},
        {"BIGINT", ValueType::Number},
        {"UNSIGNED BIG INT", ValueType::Number},
        {"INT8", ValueType::Number},
        {"REAL", ValueType::Number},
        {"DOUBLE", ValueType::Number},
        {"DOUBLE PRECISION", ValueType::Number},
        {"FLOAT", ValueType::Number},
        {"NUMERIC", ValueType::Currency},
        {"DECIMAL", ValueType::Currency},
        {"MONEY", ValueType::Currency},
        {"SMALLMONEY", ValueType::Currency},
        {"CURRENCY", ValueType::Currency},
        {"BOOLEAN", ValueType::Boolean},
        {"BOOL", ValueType::Boolean},
        {"DATE", ValueType::Date},
        {"TIME", ValueType::Time},
        {"DATETIME", ValueType::DateTime},
        {"TIMESTAMP", ValueType::DateTime},
        {"TEXT", ValueType::String},
        {"CHAR", ValueType::String},
        {"CHARACTER", ValueType::String},
        {"VARCHAR", ValueType::String},
        {"NCHAR", ValueType::String},
        {"NVARCHAR", ValueType::String},
        {"VARYING CHARACTER", ValueType::String},
        {"CLOB", ValueType::LongText},
        {"MEMO", ValueType::LongText},
        {"LONGTEXT", ValueType::LongText},
        {"BLOB", ValueType::Blob},
    }};
    for (const auto& e : kNames) {
        if (name == e.name) {
            info.type = e.type;
            return info;
        }
    }
    // SQLite's own affinity rules for every other name.
    if (name.find("INT") != std::string::npos) {
        info.type = ValueType::Number;
    } else if (name.find("CHAR") != std::string::npos || name.find("CLOB") != std::string::npos ||
               name.find("TEXT") != std::string::npos) {
        info.type = ValueType::String;
    } else if (name.find("BLOB") != std::string::npos) {
        info.type = ValueType::Blob;
    } else if (name.find("REAL") != std::string::npos || name.find("FLOA") != std::string::npos ||
               name.find("DOUB") != std::string::npos) {
        info.type = ValueType::Number;
    } else {
        info.type = ValueType::Unknown;
    }
    return info;
}

std::string SummaryOperationName(SummaryOperation op) {
    static const std::array<const char*, 19> kNames = {
        "sum",
        "average",
        "sample variance",
        "sample standard deviation",
        "maximum",
        "minimum",
        "count",
        "population variance",
        "population standard deviation",
        "distinct count",
        "correlation",
        "covariance",
        "weighted average",
        "median",
        "Pth percentile",
        "Nth largest",
        "Nth smallest",
        "mode",
        "Nth most frequent",
    };
    const int i = static_cast<int>(op);
    if (i < 0 || i >= static_cast<int>(kNames.size())) {
        return "operation " + std::to_string(i);
    }
    return kNames[static_cast<std::size_t>(i)];
}

bool IsValidSummaryOperation(int op) {
    return op >= 0 && op <= 18;
}

bool SummaryNeedsSecondField(SummaryOperation op) {
    return op == SummaryOperation::Correlation || op == SummaryOperation::Covariance ||
           op == SummaryOperation::WeightedAverage;
}

bool SummaryNeedsNumber(SummaryOperation op) {
    return op == SummaryOperation::Percentile || op == SummaryOperation::NthLargest ||
           op == SummaryOperation::NthSmallest || op == SummaryOperation::NthMostFrequent;
}

bool SummaryNeedsNumericField(SummaryOperation op) {
    switch (op) {
    case SummaryOperation::Sum:
    case SummaryOperation::Average:
    case SummaryOperation::SampleVariance:
    case SummaryOperation::SampleStdDev:
    case SummaryOperation::PopulationVariance:
    case SummaryOperation::PopulationStdDev:
    case SummaryOperation::Correlation:
    case SummaryOperation::Covariance:
    case SummaryOperation::WeightedAverage:
    case SummaryOperation::Median:
    case SummaryOperation::Percentile:
        return true;
    default:
        return false;
    }
}

const std::vector<std::string>& FieldDefinition::SpecialFieldNames() {
    static const std::vector<std::string> kNames = {
        "PrintDate", "PrintTime",    "ReportTitle", "PageNumber", "TotalPageCount",
        "PageNofM",  "RecordNumber", "GroupNumber", "FileName",
    };
    return kNames;
}

bool FieldDefinition::IsSpecialFieldName(const std::string& name) {
    const auto& names = SpecialFieldNames();
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::string FieldDefinition::SummaryName(const std::string& fieldName, SummaryOperation op,
                                         const std::string& secondName, int number) {
    std::string opName = SummaryOperationName(op);
    opName[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(opName[0])));
    if (SummaryNeedsSecondField(op)) {
        return opName + " of " + fieldName + " and " + secondName;
    }
    if (SummaryNeedsNumber(op)) {
        switch (op) {
        case SummaryOperation::Percentile:
            return Ordinal(number) + " percentile of " + fieldName;
        case SummaryOperation::NthLargest:
            return Ordinal(number) + " largest of " + fieldName;
        case SummaryOperation::NthSmallest:
            return Ordinal(number) + " smallest of " + fieldName;
        default:
            return Ordinal(number) + " most frequent of " + fieldName;
        }
    }
    return opName + " of " + fieldName;
}

std::string FieldDefinition::GroupNameFieldName(const std::string& conditionFieldName) {
    return "GroupName (" + conditionFieldName + ")";
}

void FieldDefinition::NotA(const std::string& what) const {
    throw EngineError("The field " + name_ + " is not " + what + ".");
}

std::string FieldDefinition::TableOfField() const {
    if (kind_ != FieldKind::Database) {
        NotA("a database field and has no table");
    }
    return table_;
}

std::string FieldDefinition::TableAliasName() const {
    return TableOfField();
}

std::string FieldDefinition::DatabaseFieldName() const {
    if (kind_ != FieldKind::Database) {
        NotA("a database field");
    }
    return shortName_;
}

std::string FieldDefinition::FormulaFieldName() const {
    if (kind_ != FieldKind::Formula) {
        NotA("a formula field");
    }
    return shortName_;
}

std::string FieldDefinition::ParameterFieldName() const {
    if (kind_ != FieldKind::Parameter) {
        NotA("a parameter field");
    }
    return shortName_;
}

std::string FieldDefinition::RunningTotalFieldName() const {
    if (kind_ != FieldKind::RunningTotal) {
        NotA("a running total field");
    }
    return shortName_;
}

std::string FieldDefinition::SQLExpressionFieldName() const {
    if (kind_ != FieldKind::SqlExpression) {
        NotA("an SQL expression field");
    }
    return shortName_;
}

std::shared_ptr<FieldDefinition> FieldDefinition::GetSummarizedField() const {
    if (kind_ != FieldKind::Summary && kind_ != FieldKind::RunningTotal) {
        NotA("a summary or running total");
    }
    return summarized_;
}

SummaryOperation FieldDefinition::GetSummaryOperation() const {
    if (kind_ != FieldKind::Summary && kind_ != FieldKind::RunningTotal) {
        NotA("a summary or running total");
    }
    return operation_;
}

std::shared_ptr<Area> FieldDefinition::GetSummaryArea() const {
    if (kind_ != FieldKind::Summary) {
        NotA("a summary");
    }
    auto area = area_.lock();
    if (!area) {
        throw EngineError("The area of the summary " + name_ + " no longer exists.");
    }
    return area;
}

std::shared_ptr<FieldDefinition> FieldDefinition::GetSecondSummarizedField() const {
    if (kind_ != FieldKind::Summary) {
        NotA("a summary");
    }
    if (!second_) {
        throw EngineError("The summary " + name_ +
                          " has no second field: only correlation, "
                          "covariance and weighted average have one.");
    }
    return second_;
}

int FieldDefinition::GetSummaryNumber() const {
    if (kind_ != FieldKind::Summary) {
        NotA("a summary");
    }
    return number_;
}

std::shared_ptr<FieldDefinition> FieldDefinition::GetGroupConditionField() const {
    if (kind_ != FieldKind::GroupName) {
        NotA("a group name");
    }
    const auto group = group_.lock();
    if (!group) {
        throw EngineError("The group of " + name_ + " no longer exists.");
    }
    return group->field;
}

int FieldDefinition::DefaultWidth() const {
    switch (valueType_) {
    case ValueType::Int8:
    case ValueType::UInt8:
        return 480;
    case ValueType::Int16:
    case ValueType::UInt16:
        return 720;
    case ValueType::Int32:
    case ValueType::UInt32:
        return 1080;
    case ValueType::Number:
    case ValueType::Currency:
        return 1440;
    case ValueType::Boolean:
        return 720;
    case ValueType::Date:
        return 1200;
    case ValueType::Time:
        return 1080;
    case ValueType::DateTime:
        return 2160;
    case ValueType::String:
        if (declaredLength_ > 0) {
            return std::clamp(declaredLength_ * 120, 480, 4320);
        }
        return kind_ == FieldKind::Special && name_ == "ReportTitle" ? 4320 : 2160;
    case ValueType::LongText:
        return 4320;
    default:
        return 1440;
    }
}

std::shared_ptr<FieldDefinition>
FieldDefinition::MakeDatabaseField(const std::string& table, const std::string& column,
                                   const std::string& declaredType) {
    std::shared_ptr<FieldDefinition> f(new FieldDefinition);
    f->kind_ = FieldKind::Database;
    f->name_ = "{" + table + "." + column + "}";
    f->shortName_ = column;
    f->table_ = table;
    f->declaredType_ = declaredType;
    const auto info = ValueTypeFromDeclaredType(declaredType);
    f->valueType_ = info.type;
    f->declaredLength_ = info.length;
    return f;
}

std::shared_ptr<FieldDefinition> FieldDefinition::MakeFormula(const std::string& name,
                                                              const std::string& text,
                                                              foliant::engine::ValueType type) {
    std::shared_ptr<FieldDefinition> f(new FieldDefinition);
    f->kind_ = FieldKind::Formula;
    f->name_ = "{@" + name + "}";
    f->shortName_ = name;
    f->text_ = text;
    f->valueType_ = type;
    return f;
}

std::shared_ptr<FieldDefinition> FieldDefinition::MakeParameter(const std::string& name,
                                                                foliant::engine::ValueType type,
                                                                const std::string& prompt) {
    std::shared_ptr<FieldDefinition> f(new FieldDefinition);
    f->kind_ = FieldKind::Parameter;
    f->name_ = "{?" + name + "}";
    f->shortName_ = name;
    f->text_ = prompt;
    f->valueType_ = type;
    return f;
}

std::shared_ptr<FieldDefinition>
FieldDefinition::MakeSqlExpression(const std::string& name, const std::string& expression,
                                   foliant::engine::ValueType type) {
    std::shared_ptr<FieldDefinition> f(new FieldDefinition);
    f->kind_ = FieldKind::SqlExpression;
    f->name_ = "{%" + name + "}";
    f->shortName_ = name;
    f->text_ = expression;
    f->valueType_ = type;
    return f;
}

std::shared_ptr<FieldDefinition>
FieldDefinition::MakeRunningTotal(const std::string& name, std::shared_ptr<FieldDefinition> field,
                                  SummaryOperation op) {
    std::shared_ptr<FieldDefinition> f(new FieldDefinition);
    f->kind_ = FieldKind::RunningTotal;
    f->name_ = "{#" + name + "}";
    f->shortName_ = name;
    f->operation_ = op;
    f->valueType_ = op == SummaryOperation::Count || op == SummaryOperation::DistinctCount
                        ? ValueType::Number
                        : field->ValueType();
    f->summarized_ = std::move(field);
    return f;
}

std::shared_ptr<FieldDefinition> FieldDefinition::MakeSpecial(const std::string& name) {
    std::shared_ptr<FieldDefinition> f(new FieldDefinition);
    f->kind_ = FieldKind::Special;
    f->name_ = name;
    f->shortName_ = name;
    if (name == "PrintDate") {
        f->valueType_ = ValueType::Date;
    } else if (name == "PrintTime") {
        f->valueType_ = ValueType::Time;
    } else if (name == "ReportTitle" || name == "PageNofM" || name == "FileName") {
        f->valueType_ = ValueType::String;
    } else {
        f->valueType_ = ValueType::Number;
    }
    return f;
}

std::shared_ptr<FieldDefinition>
FieldDefinition::MakeSummary(std::shared_ptr<FieldDefinition> field, SummaryOperation op,
                             std::shared_ptr<Area> area, std::shared_ptr<FieldDefinition> second,
                             int number) {
    std::shared_ptr<FieldDefinition> f(new FieldDefinition);
    f->kind_ = FieldKind::Summary;
    f->name_ = SummaryName(field->Name(), op, second ? second->Name() : std::string(), number);
    f->shortName_ = f->name_;
    f->operation_ = op;
    switch (op) {
    case SummaryOperation::Maximum:
    case SummaryOperation::Minimum:
    case SummaryOperation::Mode:
    case SummaryOperation::NthLargest:
    case SummaryOperation::NthSmallest:
    case SummaryOperation::NthMostFrequent:
        // These pick one of the field's own values.
        f->valueType_ = field->ValueType();
        break;
    case SummaryOperation::Sum:
        f->valueType_ =
            field->ValueType() == ValueType::Currency ? ValueType::Currency : ValueType::Number;
        break;
    default:
        f->valueType_ = ValueType::Number;
        break;
    }
    f->summarized_ = std::move(field);
    f->second_ = std::move(second);
    f->number_ = number;
    f->area_ = std::move(area);
    return f;
}

std::shared_ptr<FieldDefinition>
FieldDefinition::MakeGroupName(const std::shared_ptr<Group>& group) {
    std::shared_ptr<FieldDefinition> f(new FieldDefinition);
    f->kind_ = FieldKind::GroupName;
    f->name_ = GroupNameFieldName(group->field->Name());
    f->shortName_ = f->name_;
    f->valueType_ = group->field->ValueType();
    f->group_ = group;
    return f;
}

} // namespace foliant::engine
