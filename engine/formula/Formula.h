#pragma once

// The report engine's formula language: record selection formulas and formula fields.
//
//   CheckedFormula f = CompileSelectionFormula(text, catalog);   // throws FormulaError
//   bool keep = Selects(f, record, today);
//
// Compiling parses the text, checks every field against the catalog and every operator against
// its operands' types, and yields an immutable, copyable CheckedFormula. Evaluation never
// re-checks: a CheckedFormula is always well-typed.

#include "engine/core/Types.h"
#include "engine/core/Value.h"
#include "engine/formula/FormulaError.h"
#include "engine/formula/Syntax.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace foliant::engine::formula {

// What the catalog knows of one braced name.
struct FieldInfo {
    FieldKind kind = FieldKind::Database;
    ValueType type = ValueType::Unknown;
};

// The fields a formula may name. The report answers it from its data source (database fields
// "{Table.Field}"), its formula fields "{@Name}", parameters "{?Name}", running totals
// "{#Name}" and SQL expressions "{%Name}".
class FieldCatalog {
public:
    virtual ~FieldCatalog() = default;
    // `bracedName` is the reference exactly as written in the formula, braces included, e.g.
    // "{Orders.Amount}". Returns nullopt for a name the report does not know.
    virtual std::optional<FieldInfo> FindField(std::string_view bracedName) const = 0;
};

// One distinct field a checked formula reads, in order of first appearance.
struct FieldReference {
    std::string name; // braced, as written: "{Orders.Amount}"
    FieldKind kind = FieldKind::Database;
    ValueType type = ValueType::Unknown;
};

// The current record, as the evaluator sees it.
class RecordSource {
public:
    virtual ~RecordSource() = default;
    // The value of field number `index` of CheckedFormula::Fields() (described by `field`) for
    // the current record; monostate for a database null. Numbers are int64 or double, Boolean
    // fields bool, text std::string, dates Date, date-times DateTime, times TimeOfDay (a Date
    // for a date-time field is read as its midnight). A value of any other kind makes the
    // evaluation throw EngineError naming the field.
    virtual Value FieldValue(std::size_t index, const FieldReference& field) const = 0;
};

// Deepest nesting of parentheses, `not` and unary minus a formula may have. One level more is
// rejected with "The formula is nested too deeply." at the opening token of that level.
inline constexpr int kMaxFormulaNesting = 100;

// A formula that passed every check. The default-constructed one is the empty formula, which
// selects every record.
class CheckedFormula {
public:
    CheckedFormula() = default;

    // The text as given to Compile (blank text counts as empty).
    const std::string& Text() const noexcept { return text_; }
    bool IsEmpty() const noexcept { return root_ == nullptr; }
    // The type of the result; nullopt for the empty formula.
    std::optional<FormulaType> ResultType() const;
    // The value type a formula field showing this formula has: Number 7, String 12, Boolean 9,
    // Date 10, DateTime 16, Time 11; Unknown 15 for the empty formula.
    ValueType ResultValueType() const;
    // The distinct fields the formula reads, in order of first appearance.
    const std::vector<FieldReference>& Fields() const noexcept { return fields_; }
    // The syntax tree; nullptr for the empty formula.
    const Node* Root() const noexcept { return root_.get(); }

private:
    friend class Parser;
    std::string text_;
    std::shared_ptr<const Node> root_;
    std::vector<FieldReference> fields_;
};

// Checks a record selection formula. The empty or blank text is valid and selects everything;
// otherwise the formula must be a condition (a Boolean). Throws FormulaError (an EngineError)
// with the message and the position of the first problem found, reading left to right; never
// returns a half-checked formula.
CheckedFormula CompileSelectionFormula(std::string_view text, const FieldCatalog& catalog);

// Checks the formula of a formula field: any type of result, which ResultValueType() gives as
// the field's value type. Blank text is rejected. Throws FormulaError as above.
CheckedFormula CompileFormulaField(std::string_view text, const FieldCatalog& catalog);

// The formula's value on the current record; `today` is the run's date, against which periods
// are measured. Nulls propagate through arithmetic; a comparison, `in`, `like` or `startswith`
// with a null operand is false; a null condition counts as false under `and`, `or` and `not`.
// Throws FormulaError for a division by zero or a date out of the years 1 to 9999, and
// EngineError when the record gives a value of the wrong kind. Empty formula: monostate.
Value Evaluate(const CheckedFormula& formula, const RecordSource& record, Date today);

// Whether a record selection formula keeps the current record: true for the empty formula,
// otherwise true only when the formula evaluates to true.
bool Selects(const CheckedFormula& formula, const RecordSource& record, Date today);

// Today's date on this machine's local calendar: the default run date.
Date SystemToday();

} // namespace foliant::engine::formula
