#pragma once

// The record selection formula and formula fields as the runner applies them: which fields
// they read, the part of the selection SQL does exactly, and evaluation on a record.

#include "engine/Report.h"
#include "engine/SourceConnection.h"
#include "engine/core/Value.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace foliant::engine::run {

struct SelectionWhere {
    std::string clause; // for the WHERE clause; empty when SQL does none of it
    std::vector<Value> parameters;
    bool exact = true; // the clause selects exactly the formula's records
    // Fields whose stored values the runner checks on each record: a record where one does not
    // fit its storage (formula::StoredFits) passed the clause for the formula to decide.
    std::vector<std::pair<std::shared_ptr<FieldDefinition>, formula::SqlStorage>> checked;
};

// The values of one record as the query read them.
struct RecordView {
    const std::vector<std::shared_ptr<FieldDefinition>>& columns;
    const std::vector<Value>& row;
};

class SelectionFilter {
public:
    // Checks the report's selection formula against the report's fields. today: the day the
    // formula's periods are measured from. parameters: the report parameters' values by name.
    // Throws EngineError naming the problem when the formula is rejected.
    SelectionFilter(const Report& report, Date today, std::map<std::string, Value> parameters);
    ~SelectionFilter();
    SelectionFilter(const SelectionFilter&) = delete;
    SelectionFilter& operator=(const SelectionFilter&) = delete;

    // The report's fields the selection formula reads.
    std::vector<std::shared_ptr<FieldDefinition>> Fields() const;
    // The fields a formula field's formula reads. Throws EngineError when the formula is not
    // valid.
    std::vector<std::shared_ptr<FieldDefinition>> FormulaReferences(const FieldDefinition& f) const;

    // The WHERE clause for the query, in the connection's dialect: the formula's conditions on
    // columns whose stored values the database compares exactly as the engine does (asked of
    // the connection: numbers only in number columns, text only in text columns, dates only in
    // date columns).
    SelectionWhere Where(SourceConnection& connection,
                         const std::vector<std::shared_ptr<FieldDefinition>>& read) const;

    // Whether the record is selected. Throws EngineError when the formula fails on it.
    bool Selects(const RecordView& record) const;
    // A formula field's value on the record. Throws EngineError when the formula fails on it.
    Value EvaluateField(const FieldDefinition& f, const RecordView& record) const;

    struct Impl; // the compiled formulas (opaque)

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace foliant::engine::run
