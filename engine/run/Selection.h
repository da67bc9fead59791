#pragma once

// The record selection formula and formula fields as the runner applies them: which fields
// they read, the part of the selection SQL can do exactly, and evaluation on a record.

#include "engine/Report.h"
#include "engine/Value.h"

#include <memory>
#include <string>
#include <vector>

struct sqlite3_stmt;

namespace foliant::engine::run {

struct SelectionWhere {
    std::string clause; // for the WHERE clause; empty when SQL does none of it
    std::vector<Value> parameters;
    bool exact = true; // the clause selects exactly the formula's records
};

class SelectionFilter {
public:
    // Compiles the report's selection formula against the report's fields. Throws
    // EngineError when it cannot be applied.
    SelectionFilter(const Report& report, Date today);
    ~SelectionFilter();
    SelectionFilter(const SelectionFilter&) = delete;
    SelectionFilter& operator=(const SelectionFilter&) = delete;

    // The report's fields the selection formula reads.
    std::vector<std::shared_ptr<FieldDefinition>> Fields() const;
    // The fields a formula field's formula reads.
    std::vector<std::shared_ptr<FieldDefinition>> FormulaReferences(const FieldDefinition& f) const;
    // The WHERE clause for a query reading these columns.
    SelectionWhere Where(const std::vector<std::shared_ptr<FieldDefinition>>& columns) const;
    // Whether the record (the query's columns and their values) is selected.
    bool Selects(const std::vector<std::shared_ptr<FieldDefinition>>& columns,
                 const std::vector<Value>& row) const;
    // A formula field's value on the record.
    Value EvaluateField(const FieldDefinition& f,
                        const std::vector<std::shared_ptr<FieldDefinition>>& columns,
                        const std::vector<Value>& row) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Binds int64, double, text, date, time and date-time values to ?1, ?2, …
void BindParameters(sqlite3_stmt* statement, const std::vector<Value>& parameters);

} // namespace foliant::engine::run
