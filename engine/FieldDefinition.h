#pragma once

#include "engine/core/Api.h"

#include "engine/core/Types.h"
#include "platform/automation/values/Variant.h"

#include <memory>
#include <optional>
#include <string>

namespace foliant::engine {

class Area;
struct Group;

// One field definition of a report: a database field of the data source, a formula, a
// summary, a special field, a group name, a parameter, a running total or an SQL expression.
// Report objects show field definitions; groups, summaries and running totals refer to them.
//
// The name getters that belong to one kind (DatabaseFieldName, FormulaFieldName, …) throw
// EngineError when asked of a definition of another kind, as do the summary getters.
class FOLIANT_ENGINE_API FieldDefinition : public automation::Object {
public:
    FieldKind Kind() const { return kind_; }

    // The name formulas and the wizard use: "{Table.Field}", "{@Formula}", "{?Parameter}",
    // "{#RunningTotal}", "{%SqlExpression}"; special fields by their plain name ("PrintDate");
    // summaries as "Sum of {Orders.Amount}"; group names as "GroupName ({Customer.Country})".
    const std::string& Name() const { return name_; }
    const std::string& BracedName() const { return name_; }
    foliant::engine::ValueType ValueType() const { return valueType_; }

    // The field's own name: the column name of a database field, the name without its sign
    // for formulas, parameters, running totals and SQL expressions, Name() otherwise.
    const std::string& ShortName() const { return shortName_; }

    std::string TableOfField() const;
    std::string TableAliasName() const;
    std::string DatabaseFieldName() const;
    std::string FormulaFieldName() const;
    std::string ParameterFieldName() const;
    std::string RunningTotalFieldName() const;
    std::string SQLExpressionFieldName() const;

    // Database fields: the column's declared type ("VARCHAR(40)", "" when none) and the
    // declared length (40; 0 when none).
    const std::string& DeclaredType() const { return declaredType_; }
    int DeclaredLength() const { return declaredLength_; }
    // Formulas: the formula text. SQL expressions: the expression. Parameters: the prompt.
    const std::string& DefinitionText() const { return text_; }

    // Summaries and running totals.
    std::shared_ptr<FieldDefinition> GetSummarizedField() const;
    SummaryOperation GetSummaryOperation() const;
    // Summaries only.
    std::shared_ptr<Area> GetSummaryArea() const;
    std::shared_ptr<FieldDefinition> GetSecondSummarizedField() const;
    // N of Nth largest / smallest / most frequent, P of Pth percentile; 0 for other operations.
    int GetSummaryNumber() const;

    // Group names: the group's condition field.
    std::shared_ptr<FieldDefinition> GetGroupConditionField() const;

    // The width in twips a new field object showing this definition gets.
    int DefaultWidth() const;

    // Constructors for the report and data source; the public API never needs them.
    static std::shared_ptr<FieldDefinition> MakeDatabaseField(const std::string& table,
                                                              const std::string& column,
                                                              const std::string& declaredType);
    static std::shared_ptr<FieldDefinition>
    MakeFormula(const std::string& name, const std::string& text, foliant::engine::ValueType type);
    static std::shared_ptr<FieldDefinition> MakeParameter(const std::string& name,
                                                          foliant::engine::ValueType type,
                                                          const std::string& prompt);
    static std::shared_ptr<FieldDefinition> MakeSqlExpression(const std::string& name,
                                                              const std::string& expression,
                                                              foliant::engine::ValueType type);
    static std::shared_ptr<FieldDefinition> MakeRunningTotal(const std::string& name,
                                                             std::shared_ptr<FieldDefinition> field,
                                                             SummaryOperation op);
    static std::shared_ptr<FieldDefinition> MakeSpecial(const std::string& name);
    static std::shared_ptr<FieldDefinition>
    MakeSummary(std::shared_ptr<FieldDefinition> field, SummaryOperation op,
                std::shared_ptr<Area> area, std::shared_ptr<FieldDefinition> second, int number);
    static std::shared_ptr<FieldDefinition> MakeGroupName(const std::shared_ptr<Group>& group);

    // The special field names, and whether a plain name is one of them.
    static const std::vector<std::string>& SpecialFieldNames();
    static bool IsSpecialFieldName(const std::string& name);

    // "Sum of {Orders.Amount}", "Covariance of {A} and {B}", "3rd largest of {A}".
    static std::string SummaryName(const std::string& fieldName, SummaryOperation op,
                                   const std::string& secondName, int number);
    static std::string GroupNameFieldName(const std::string& conditionFieldName);

    // Group names follow their group's condition field.
    const std::weak_ptr<Group>& GroupOfName() const { return group_; }

private:
    FieldDefinition() = default;
    [[noreturn]] void NotA(const std::string& what) const;

    FieldKind kind_ = FieldKind::Database;
    std::string name_;
    std::string shortName_;
    foliant::engine::ValueType valueType_ = foliant::engine::ValueType::Unknown;
    std::string table_;
    std::string declaredType_;
    int declaredLength_ = 0;
    std::string text_;
    std::shared_ptr<FieldDefinition> summarized_;
    std::shared_ptr<FieldDefinition> second_;
    SummaryOperation operation_ = SummaryOperation::Sum;
    int number_ = 0;
    std::weak_ptr<Area> area_; // weak: the area holds objects that show this summary
    std::weak_ptr<Group> group_;
};

// The value type of a column from its SQLite declared type, with the declared length
// ("VARCHAR(40)" gives string, 40). Unrecognised names follow SQLite's affinity rules;
// no declared type gives unknown.
struct DeclaredTypeInfo {
    ValueType type = ValueType::Unknown;
    int length = 0;
};
FOLIANT_ENGINE_API DeclaredTypeInfo ValueTypeFromDeclaredType(const std::string& declared);

// The English name of a summary operation ("sum", "Nth largest").
FOLIANT_ENGINE_API std::string SummaryOperationName(SummaryOperation op);
FOLIANT_ENGINE_API bool IsValidSummaryOperation(int op);
// Operations that need a second field (correlation, covariance, weighted average).
FOLIANT_ENGINE_API bool SummaryNeedsSecondField(SummaryOperation op);
// Operations that need N or P (percentile, Nth largest, Nth smallest, Nth most frequent).
FOLIANT_ENGINE_API bool SummaryNeedsNumber(SummaryOperation op);
// The largest N (or P) a summary or a report file may give; a P above 100 counts as 100.
inline constexpr int kLargestSummaryNumber = 1000000;
// Operations whose field must be numeric.
FOLIANT_ENGINE_API bool SummaryNeedsNumericField(SummaryOperation op);

} // namespace foliant::engine
