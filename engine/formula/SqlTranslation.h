#pragma once

// Pushing a record selection formula down to the database where it computes exactly the same
// answer, so the runner reads fewer records. Anything in doubt stays with the evaluator.

#include "engine/formula/Formula.h"
#include "engine/formula/SqlDialect.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

struct sqlite3_stmt;

namespace foliant::engine::formula {

struct SqlColumn {
    std::string expression; // e.g. "\"Orders\".\"Amount\"", already quoted
    SqlStorage storage = SqlStorage::Number;
    // An SQL condition true for the column's non-null values that are not of the storage form
    // (and so may compare otherwise than the evaluator reads them); empty when the column holds
    // none. It must be true only for values StoredFits rejects. A condition on such a column
    // lets those records through for the evaluator to decide.
    std::string mismatch;
};

// Whether a value as the database stored it (null, int64, double, text or bytes) has the
// storage form: a number, text, "YYYY-MM-DD" of a real day, or "YYYY-MM-DD HH:MM:SS". Null fits.
bool StoredFits(const Value& stored, SqlStorage storage);

// Maps field number `index` of CheckedFormula::Fields() to its column, or nullopt when the
// field has no column SQLite can compare exactly (formula fields, parameters, mixed storage).
using SqlColumnMapper =
    std::function<std::optional<SqlColumn>(std::size_t index, const FieldReference& field)>;

struct SqlWhere {
    // A condition for a WHERE clause, with one ? per parameter in order; empty when nothing
    // could be translated (or the formula is empty).
    std::string clause;
    // int64, double or std::string values for the ?s.
    std::vector<Value> parameters;
    // True when `clause` (or no clause at all) selects exactly the records the formula selects.
    // False when the engine must still evaluate the formula on each record read: `clause` is then
    // only a necessary condition (the conditions of a top-level `and` that could be translated).
    bool exact = false;
    // Fields (numbers into CheckedFormula::Fields()) whose columns have a mismatch condition the
    // clause uses: a record where one of them does not fit its storage (StoredFits) passes the
    // clause, and the evaluator decides on it even when the clause is exact.
    std::vector<std::size_t> checked;
};

// Translates a checked selection formula, measuring periods against `today`. Exact pieces are:
// comparisons, `in a to b`, `in [list]` of a column against literals or a column of the same
// storage; `in Period` on a date column; `like` and `startswith` on a text column with ASCII
// patterns; and `and`, `or`, `not` of those. Text compares byte for byte (COLLATE BINARY, as
// the evaluator does); every translated condition yields 0 or 1, never NULL, so `not` agrees
// with the evaluator on nulls. `like` relies on the connection's default LIKE (ASCII case
// folding, PRAGMA case_sensitive_like off). Never throws for a checked formula.
// The dialect says how the SQL is written; SQLite's unless given.
SqlWhere TranslateToSql(const CheckedFormula& formula, const SqlColumnMapper& columns, Date today,
                        const SqlDialect& dialect = SqliteDialect());

// Binds `parameters` to `statement` from parameter number `first` on (1-based). Throws
// EngineError naming SQLite's message when a bind fails.
void BindSqlParameters(sqlite3_stmt* statement, const std::vector<Value>& parameters,
                       int first = 1);

} // namespace foliant::engine::formula
